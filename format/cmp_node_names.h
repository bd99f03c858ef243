#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The node names of a compound model file and the words the exporter reads
// in mesh names. Every one is spelled here and nowhere else.
namespace svcmp {

inline constexpr std::string_view kNodeRoot = "\\";
inline constexpr std::string_view kNodeVMeshLibrary = "VMeshLibrary";
inline constexpr std::string_view kNodeVMeshData = "VMeshData";
inline constexpr std::string_view kNodeCmpnd = "Cmpnd";
inline constexpr std::string_view kNodeRootPart = "Root";
inline constexpr std::string_view kNodeFileName = "File name";
inline constexpr std::string_view kNodeIndex = "Index";
inline constexpr std::string_view kNodeObjectName = "Object name";
inline constexpr std::string_view kNodeCons = "Cons";
inline constexpr std::string_view kNodeFix = "Fix";
inline constexpr std::string_view kNodeRev = "Rev";
inline constexpr std::string_view kNodePris = "Pris";
inline constexpr std::string_view kNodeSphere = "Sphere";
inline constexpr std::string_view kNodeMultiLevel = "MultiLevel";
inline constexpr std::array<std::string_view, 3> kNodeLevels = {"Level0", "Level1", "Level2"};
inline constexpr std::string_view kNodeSwitch2 = "Switch2";
inline constexpr std::string_view kNodeVMeshPart = "VMeshPart";
inline constexpr std::string_view kNodeVMeshRef = "VMeshRef";
inline constexpr std::string_view kNodeVMeshWire = "VMeshWire";
inline constexpr std::string_view kNodeVWireData = "VWireData";
inline constexpr std::string_view kNodeHardpoints = "Hardpoints";
inline constexpr std::string_view kNodeFixed = "Fixed";
inline constexpr std::string_view kNodeRevolute = "Revolute";
inline constexpr std::string_view kNodeAxis = "Axis";
inline constexpr std::string_view kNodeMax = "Max";
inline constexpr std::string_view kNodeMin = "Min";
inline constexpr std::string_view kNodeOrientation = "Orientation";
inline constexpr std::string_view kNodePosition = "Position";

// A part entry other than the first is "Part_" + the group's object name.
inline constexpr std::string_view kPartPrefix = "Part_";
// The part entry of part `index`, and the object name stored in it: "Root"
// for the first part, whatever its group's object name.
inline std::string PartEntryName(std::size_t index, std::string_view objectName) {
  return index == 0 ? std::string(kNodeRootPart)
                    : std::string(kPartPrefix) + std::string(objectName);
}
inline std::string_view PartObjectName(std::size_t index, std::string_view objectName) {
  return index == 0 ? kNodeRootPart : objectName;
}

// A single-part model node is the first mesh's name + ".3db".
inline constexpr std::string_view kModelFileSuffix = ".3db";
// The library entry is the first mesh's name + one of these, by level of detail.
inline constexpr std::array<std::string_view, 3> kLibrarySuffixes = {".lod0.vms", ".lod1.vms",
                                                                     ".lod2.vms"};

// Which of kNodeLevels and kLibrarySuffixes a level of detail uses: any value
// but 1 and 2 counts as level 0.
constexpr std::size_t LevelIndex(int levelOfDetail) {
  return (levelOfDetail == 1 || levelOfDetail == 2) ? static_cast<std::size_t>(levelOfDetail) : 0;
}

// Words matched in mesh and hardpoint names, in any letter case. The kind
// words of a hardpoint mesh name are the node names "Fixed" and "Revolute".
inline constexpr std::string_view kHardpointPrefix = "Hp";
inline constexpr std::string_view kTurretPrefix = "HpTurret";
inline constexpr std::string_view kEnginePrefix = "HpEngine";
inline constexpr std::string_view kMountPrefix = "HpMount";

}  // namespace svcmp
