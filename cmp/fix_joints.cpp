#include "cmp/fix_joints.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string_view>

#include "cmp/cmp_messages.h"
#include "format/cmp_node_names.h"

namespace svcmp {
namespace {

constexpr std::array<float, 9> kIdentityRotation = {1, 0, 0, 0, 1, 0, 0, 0, 1};

void AppendName(std::vector<std::uint8_t>& out, std::string_view name) {
  out.insert(out.end(), name.begin(), name.end());
  out.insert(out.end(), kJointNameSize - name.size(), 0);
}

void AppendFloat(std::vector<std::uint8_t>& out, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

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
    AppendName(records, kNodeRootPart);
    AppendName(records, child);
    for (int axis = 0; axis < 3; ++axis) AppendFloat(records, 0.0f);
    for (float value : kIdentityRotation) AppendFloat(records, value);
  }
  return records;
}

}  // namespace svcmp
