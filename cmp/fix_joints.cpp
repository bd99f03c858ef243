#include "cmp/fix_joints.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string_view>

#include "cmp/cmp_messages.h"
#include "cmp/node_parts.h"
#include "format/cmp_node_names.h"

namespace svcmp {
namespace {

std::string_view ChildName(std::span<const std::uint8_t> record) {
  const auto field = record.subspan(kJointNameSize, kJointNameSize);
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return {reinterpret_cast<const char*>(field.data()),
          static_cast<std::size_t>(end - field.begin())};
}

}  // namespace

std::optional<std::vector<std::uint8_t>> JoinFixRecords(
    std::span<const std::uint8_t> existing, const GroupList& groups,
    const std::function<void(const std::string&)>& warn) {
  if (existing.size() % kFixRecordSize != 0) {
    if (warn) warn(std::string(kFixLeftAlone));
    return std::nullopt;
  }
  std::vector<std::uint8_t> records(existing.begin(), existing.end());
  for (std::size_t i = 1; i < groups.size(); ++i) {
    const std::string& child = groups[i].objectName;
    if (child.size() >= kJointNameSize) {
      if (warn)
        warn(std::string(kJointNameTooLongHead) + child + std::string(kJointNameTooLongTail));
      continue;
    }
    bool joined = false;
    for (std::size_t at = 0; at < records.size() && !joined; at += kFixRecordSize) {
      joined = ChildName(std::span(records).subspan(at, kFixRecordSize)) == child;
    }
    if (joined) continue;
    PartJoint toRoot;
    toRoot.parent = kNodeRootPart;
    AppendJointRecord(records, toRoot, child);
  }
  return records;
}

}  // namespace svcmp
