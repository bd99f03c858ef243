#pragma once

#include <string_view>

namespace svcmp::rules {

// Rule ids of the collision file, each spelled once: the decoder's
// structural rules (a file breaking one is refused)...
inline constexpr std::string_view kSurSignature = "sur-signature";
inline constexpr std::string_view kSurTruncated = "sur-truncated";
inline constexpr std::string_view kSurSections = "sur-sections";
inline constexpr std::string_view kSurBlockSize = "sur-block-size";
inline constexpr std::string_view kSurHeader = "sur-header";
inline constexpr std::string_view kSurHull = "sur-hull";
inline constexpr std::string_view kSurFace = "sur-face";
inline constexpr std::string_view kSurTwin = "sur-twin";
inline constexpr std::string_view kSurPoints = "sur-points";
inline constexpr std::string_view kSurTree = "sur-tree";
// ...and what the checks judge a decoded file by.
inline constexpr std::string_view kSurPartId = "sur-part-id";
inline constexpr std::string_view kSurHardpointId = "sur-hardpoint-id";
inline constexpr std::string_view kSurConvex = "sur-convex";
inline constexpr std::string_view kSurNodeBox = "sur-node-box";
inline constexpr std::string_view kSurNoCollision = "sur-no-collision";

}  // namespace svcmp::rules
