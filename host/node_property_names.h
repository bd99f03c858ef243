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

// Every property name above that a node may carry (values such as kFix
// aside): a name close to one of them is most likely a misspelling of it.
inline constexpr const char* kKnownNames[] = {
    kConstruct, kAxisRotation, kAxisTranslation, kMin, kMax, kOffset, kHardpoint, kHardpointType,
    kAxis,      kHull,         kExportIgnore,
};

}  // namespace svcmp::node_property
