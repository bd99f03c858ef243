#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "cmp/cmp_tree_dialog.h"
#include "cmp/mesh_ref_shape.h"
#include "plugin/mesh_records.h"
#include "utf/utf_tree.h"

// The steps of the assembly that CmpTreeDialog runs, open to tests: building
// a new tree, merging an export into a loaded one, and the hardpoints.
namespace svcmp {

// The inputs' mesh list and summary, empty ones when not given.
const MeshList& InputMeshes(const CmpAssemblyInputs& inputs);
const MeshDataSummary& InputSummary(const CmpAssemblyInputs& inputs);

// The mesh reference shape of the single part and of a group: the plug-in's,
// or the exact one when the extras ask for it.
MeshRefShape SinglePartShape(const CmpAssemblyInputs& inputs);
MeshRefShape GroupShape(const CmpAssemblyInputs& inputs, const MeshGroup& group);

// How the rows of a hardpoint's orientation are written: the plug-in's, or
// unit rows when the extras ask for them.
enum class HardpointRows { AsPlugIn, Unit };
HardpointRows HardpointRowsOf(const CmpAssemblyInputs& inputs);

// Fills the empty `tree` with a new compound model: library with the mesh
// buffer, parts, model nodes with their levels, and at level 0 the hardpoints.
// Takes the mesh buffer (TakeMeshBuffer); when it cannot be read, "VMeshData"
// gets no data. Stores each part's model node in its MeshGroup.
void BuildNewCmp(UtfTree& tree, const CmpAssemblyInputs& inputs, const std::string& meshLibraryName,
                 const MeshRecord& firstMesh);

// Merges the export into the loaded `tree` (empty builds from nothing): finds
// each node before it creates it and keeps every node it does not name.
// Takes the mesh buffer (TakeMeshBuffer).
void UpdateCmp(UtfTree& tree, const CmpAssemblyInputs& inputs, const std::string& meshLibraryName,
               const MeshRecord& firstMesh);

// Single-part hardpoints: "Fixed" and "Revolute" under `hardpointsNode`
// (always both), one node per fixed or revolute hardpoint mesh under them.
void AddHardpoints(UtfTree& tree, const MeshList& meshList, UtfNode hardpointsNode,
                   HardpointRows rows = HardpointRows::AsPlugIn);

// The single part's hardpoints: from its node part when the extras have one,
// else from the hardpoint meshes (AddHardpoints).
void AddSinglePartHardpoints(UtfTree& tree, const CmpAssemblyInputs& inputs,
                             UtfNode hardpointsNode);

// Every part's hardpoints: from the node parts when the extras have them,
// else from the hardpoint meshes (AddPartHardpoints).
void AddGroupHardpoints(UtfTree& tree, const CmpAssemblyInputs& inputs, GroupList& groups);

// Whether a hardpoint mesh's name makes it a fixed or a revolute hardpoint
// ("Hp" + separator + "Fixed" or "Revolute" + ...); other hardpoint meshes
// are written nowhere.
bool NamesWrittenHardpoint(std::string_view meshName);

// The hardpoint a mesh's name writes: revolute or fixed, and its name (a
// view into meshName); null for a name of neither kind.
struct WrittenHardpoint {
  bool revolute = false;
  std::string_view name;
};
std::optional<WrittenHardpoint> WrittenHardpointOf(std::string_view meshName);

// Multi-part hardpoints: each hardpoint mesh goes to its owning part, which
// gets "Hardpoints" (after its "MultiLevel") and "Fixed"/"Revolute" as needed.
// Starts from empty hardpoint slots; groups without a model node are passed over.
void AddPartHardpoints(UtfTree& tree, const MeshList& meshList, GroupList& groupList,
                       HardpointRows rows = HardpointRows::AsPlugIn);

// The first group whose bounds, widened by 0.1, contain the mesh's bounds;
// the first group when none does; null only when there are no groups.
MeshGroup* FindOwningPart(const MeshRecord& hardpointMesh, GroupList& groupList);

// The mean of the first three vertices; of those there are when fewer (the
// origin when none).
std::array<float, 3> HardpointPosition(const MeshRecord& hardpointMesh);

// Each row of `rows` divided by its length; rows of length 0 stay as they are.
std::array<float, 9> UnitRows(const std::array<float, 9>& rows);

// The mesh buffer handed over in memory, or else the content of the
// mesh-buffer file, which is then removed; no data when it cannot be read.
DataBlock TakeMeshBuffer(const CmpAssemblyInputs& inputs);

}  // namespace svcmp
