#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "format/cmp_leaf_layout.h"
#include "plugin/mesh_records.h"

namespace svcmp {

// The "Fix" record's layout is in format/cmp_leaf_layout.h.

// `existing` records kept as they are, then one per part but the first whose
// object name no record names as its child yet: parent "Root", zero origin,
// identity rotation, since every part's vertices are stored where they lie.
// A name too long for its 63 characters gets no record, and `warn` says so.
// Nothing when `existing` is not whole records, which a joint leaf of
// another tool may be: it is then left alone.
std::optional<std::vector<std::uint8_t>> JoinFixRecords(
    std::span<const std::uint8_t> existing, const GroupList& groups,
    const std::function<void(const std::string&)>& warn);

}  // namespace svcmp
