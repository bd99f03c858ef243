#pragma once

#include <array>
#include <cstdint>

namespace svcmp {

inline constexpr int kMaxGroupCount = 18;

// The export options, in the order the settings file stores them.
struct ExportSettings {
  std::int32_t ScaleDivisor = 92;                              // 1 to 100
  std::int32_t OrientationMode = 0;                            // 0 "Upside Down", 1 "Back To Front"
  std::int32_t LodLevel = 0;                                   // 0, 1 or 2
  std::int32_t GroupCount = 1;                                 // 1 to 18
  std::array<std::int32_t, kMaxGroupCount> GroupQuantities{};  // geometry meshes per group
};

inline constexpr int kOrientationUpsideDown = 0;
inline constexpr int kOrientationBackToFront = 1;

}  // namespace svcmp
