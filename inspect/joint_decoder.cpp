#include "inspect/joint_decoder.h"

#include "format/cmp_leaf_layout.h"
#include "inspect/leaf_reader.h"

namespace svcmp {
namespace {

constexpr std::size_t kOriginOffset = 2 * kJointNameSize;
constexpr std::size_t kFixRotationOffset = kOriginOffset + 12;
constexpr std::size_t kOffsetOffset = kOriginOffset + 12;
constexpr std::size_t kRotationOffset = kOffsetOffset + 12;
constexpr std::size_t kAxisOffset = kRotationOffset + 36;
constexpr std::size_t kLimitsOffset = kAxisOffset + 12;
constexpr std::size_t kSphereLimitsOffset = kRotationOffset + 36;
static_assert(kFixRotationOffset + 36 == kFixRecordSize);
static_assert(kLimitsOffset + 8 == kAxisRecordSize);
static_assert(kSphereLimitsOffset + 24 == kSphereRecordSize);

Joint ReadJoint(JointKind kind, const LeafReader& leaf, std::uint64_t at) {
  Joint joint;
  joint.kind = kind;
  joint.parent = leaf.Text(at, kJointNameSize);
  joint.child = leaf.Text(at + kJointNameSize, kJointNameSize);
  joint.origin = leaf.Floats<3>(at + kOriginOffset);
  if (kind == JointKind::Fix) {
    joint.rotation = leaf.Floats<9>(at + kFixRotationOffset);
    return joint;
  }
  joint.offset = leaf.Floats<3>(at + kOffsetOffset);
  joint.rotation = leaf.Floats<9>(at + kRotationOffset);
  if (kind == JointKind::Sphere) {
    joint.sphereLimits = leaf.Floats<6>(at + kSphereLimitsOffset);
  } else {
    joint.axis = leaf.Floats<3>(at + kAxisOffset);
    joint.min = leaf.Float(at + kLimitsOffset);
    joint.max = leaf.Float(at + kLimitsOffset + 4);
  }
  return joint;
}

}  // namespace

std::size_t JointRecordSize(JointKind kind) {
  switch (kind) {
    case JointKind::Fix:
      return kFixRecordSize;
    case JointKind::Rev:
    case JointKind::Pris:
      return kAxisRecordSize;
    case JointKind::Sphere:
      return kSphereRecordSize;
  }
  return kFixRecordSize;
}

void DecodeJointList(JointKind kind, std::span<const std::uint8_t> bytes, const std::string& path,
                     std::vector<Joint>& joints, Findings& findings) {
  const LeafReader leaf(bytes);
  const std::size_t recordSize = JointRecordSize(kind);
  if (leaf.Size() % recordSize != 0) {
    findings.push_back({path, Severity::Error, std::string(rules::kLeafSize),
                        "a joint list is a multiple of " + std::to_string(recordSize) +
                            " bytes, this one " + std::to_string(leaf.Size())});
  }
  for (std::size_t record = 0; record < leaf.Size() / recordSize; ++record) {
    Joint joint = ReadJoint(kind, leaf, record * recordSize);
    joint.path = path;
    joint.record = record;
    joints.push_back(std::move(joint));
  }
}

}  // namespace svcmp
