#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace svcmp {

enum class Severity { Error, Warning };

// One thing wrong with a file, tied to the node where it was found. The rule
// id names the kind of fault, stable for scripts ("leaf-size", "index-range").
struct Finding {
  std::string path;  // node path as NodePath gives it
  Severity severity = Severity::Error;
  std::string rule;
  std::string message;
};

using Findings = std::vector<Finding>;

// Rule ids, each spelled once.
namespace rules {
inline constexpr std::string_view kLeafSize = "leaf-size";
inline constexpr std::string_view kMeshBufferFit = "mesh-buffer-fit";
inline constexpr std::string_view kMeshKind = "mesh-kind";
inline constexpr std::string_view kPrimitiveType = "primitive-type";
inline constexpr std::string_view kVertexFormat = "vertex-format";
inline constexpr std::string_view kMeshRange = "mesh-range";
inline constexpr std::string_view kIndexRange = "index-range";
inline constexpr std::string_view kTrailingBytes = "trailing-bytes";
inline constexpr std::string_view kRefRange = "ref-range";
inline constexpr std::string_view kRefIndexSum = "ref-index-sum";
inline constexpr std::string_view kRefLibrary = "ref-library";
inline constexpr std::string_view kPartFile = "part-file";
inline constexpr std::string_view kJointName = "joint-name";
inline constexpr std::string_view kJointLoop = "joint-loop";
inline constexpr std::string_view kTwoParents = "two-parents";
inline constexpr std::string_view kJointAxis = "joint-axis";
inline constexpr std::string_view kJointLimits = "joint-limits";
inline constexpr std::string_view kJointRotation = "joint-rotation";
inline constexpr std::string_view kBadFloat = "bad-float";
inline constexpr std::string_view kOrphanModel = "orphan-model";
inline constexpr std::string_view kZeroSphere = "zero-sphere";
inline constexpr std::string_view kEmptyFix = "empty-fix";
inline constexpr std::string_view kHardpointRotation = "hardpoint-rotation";
inline constexpr std::string_view kHardpointLeaf = "hardpoint-leaf";
inline constexpr std::string_view kLibraryTwice = "library-twice";
inline constexpr std::string_view kDdsHeader = "dds-header";
inline constexpr std::string_view kMissingMaterial = "missing-material";
inline constexpr std::string_view kMissingTexture = "missing-texture";
inline constexpr std::string_view kWireLibrary = "wire-library";
inline constexpr std::string_view kWireRange = "wire-range";
inline constexpr std::string_view kWireCounts = "wire-counts";
inline constexpr std::string_view kWireLevel = "wire-level";
inline constexpr std::string_view kAnimationMap = "anim-map";
inline constexpr std::string_view kAnimationChannel = "anim-channel";
inline constexpr std::string_view kAnimationSize = "anim-size";
inline constexpr std::string_view kAnimationTimes = "anim-times";
inline constexpr std::string_view kAnimationJoint = "anim-joint";
inline constexpr std::string_view kAnimationType = "anim-type";
inline constexpr std::string_view kAnimationLimits = "anim-limits";
}  // namespace rules

}  // namespace svcmp
