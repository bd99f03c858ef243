#pragma once

// The custom properties of a model's nodes that give it its structure:
// what `export --parts nodes` reads and `convert` writes, spelled once.
namespace svcmp::node_property {

inline constexpr char kConstruct[] = "construct";  // the joint: one of the kinds below
inline constexpr char kFix[] = "fix";
inline constexpr char kRev[] = "rev";
inline constexpr char kPris[] = "pris";
inline constexpr char kSphere[] = "sphere";
inline constexpr char kAxisRotation[] = "axis_rotation";
inline constexpr char kAxisTranslation[] = "axis_translation";
inline constexpr char kMin[] = "min";
inline constexpr char kMax[] = "max";
inline constexpr char kOffset[] = "offset";
inline constexpr char kHardpoint[] = "hardpoint";
inline constexpr char kHardpointType[] = "hptype";  // kFix or kRev
inline constexpr char kAxis[] = "axis";
inline constexpr char kHull[] = "hull";
inline constexpr char kExportIgnore[] = "export_ignore";

}  // namespace svcmp::node_property
