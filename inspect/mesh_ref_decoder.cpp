#include "inspect/mesh_ref_decoder.h"

#include "format/cmp_leaf_layout.h"
#include "inspect/leaf_reader.h"

namespace svcmp {

std::optional<MeshRef> DecodeMeshRef(std::span<const std::uint8_t> bytes, const std::string& path,
                                     Findings& findings) {
  const LeafReader leaf(bytes);
  if (leaf.Size() != kMeshRefSize) {
    findings.push_back({path, Severity::Error, std::string(rules::kLeafSize),
                        "a mesh reference is " + std::to_string(kMeshRefSize) +
                            " bytes, this one " + std::to_string(leaf.Size())});
    return std::nullopt;
  }
  MeshRef ref;
  ref.path = path;
  ref.headerSize = leaf.U32(0);
  ref.libraryId = leaf.U32(4);
  ref.startVertex = leaf.U16(8);
  ref.vertexCount = leaf.U16(10);
  ref.startIndex = leaf.U16(12);
  ref.indexCount = leaf.U16(14);
  ref.startMesh = leaf.U16(16);
  ref.meshCount = leaf.U16(18);
  const auto box = leaf.Floats<6>(kMeshRefBoxOffset);
  ref.box = {box[0], box[1], box[2], box[3], box[4], box[5]};
  ref.centre = leaf.Floats<3>(kMeshRefCentreOffset);
  ref.radius = leaf.Float(kMeshRefCentreOffset + 12);
  return ref;
}

std::vector<RefMesh> MeshesOfRef(const MeshRef& ref, const MeshBuffer& buffer) {
  std::vector<RefMesh> meshes;
  for (std::size_t m = ref.startMesh; m < std::size_t{ref.startMesh} + ref.meshCount; ++m) {
    if (m >= buffer.meshes.size()) break;
    const BufferMesh& mesh = buffer.meshes[m];
    const std::size_t first = std::size_t{ref.startVertex} + mesh.startVertex;
    if (first + mesh.VertexCount() > buffer.vertices.size()) continue;
    meshes.push_back({&mesh, first});
  }
  return meshes;
}

}  // namespace svcmp
