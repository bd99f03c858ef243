#include "plugin/mesh_buffer.h"

#include <algorithm>
#include <bit>
#include <string>
#include <utility>

#include "format/name_crc.h"
#include "utf/little_endian.h"

namespace svcmp {
namespace {

constexpr char kGroupFileSuffix[] = "_lod1.3db";

// Triangles and vertices are copied to the buffer as they lie in memory.
static_assert(sizeof(MeshTriangle) == 3 * sizeof(std::uint16_t));

// Only a value strictly outside the box moves a bound.
void Merge(Bounds& into, const Bounds& from) {
  if (from.maxX > into.maxX) into.maxX = from.maxX;
  if (from.minX < into.minX) into.minX = from.minX;
  if (from.maxY > into.maxY) into.maxY = from.maxY;
  if (from.minY < into.minY) into.minY = from.minY;
  if (from.maxZ > into.maxZ) into.maxZ = from.maxZ;
  if (from.minZ < into.minZ) into.minZ = from.minZ;
}

std::uint16_t Wrap16(std::size_t value) { return static_cast<std::uint16_t>(value); }

// Writes the mesh entries; `startVertex` counts from the start of the vertex
// list with one group and from the group's first vertex with several.
class EntryWriter {
 public:
  EntryWriter(LittleEndianWriter& out, MeshDataSummary& summary) : out_(out), summary_(summary) {}

  void RestartVertexCount() { runningVertex_ = 0; }

  void Write(const MeshRecord& mesh) {
    const std::uint16_t startVertex = runningVertex_;
    out_.U32(NameCrc(mesh.materialName));
    out_.U16(startVertex);
    // A mesh without vertices ends one before it starts (0xFFFF at 0).
    out_.U16(Wrap16(startVertex + mesh.vertices.size() - 1));
    out_.U16(Wrap16(3 * mesh.triangles.size()));
    out_.U16(kMeshEntryPadding);
    runningVertex_ = Wrap16(runningVertex_ + mesh.vertices.size());
    Merge(summary_.bounds, mesh.bounds);
  }

 private:
  LittleEndianWriter& out_;
  MeshDataSummary& summary_;
  std::uint16_t runningVertex_ = 0;
};

// Each group takes the next `quantity` geometry meshes; its starts are the
// totals of the groups before it.
void WriteGroupedEntries(const std::vector<const MeshRecord*>& geometry, int groupCount,
                         const std::array<std::int32_t, kMaxGroupCount>& quantities,
                         EntryWriter& entries, GroupList& groups) {
  std::size_t cursor = 0;
  std::size_t vertexTotal = 0;
  std::size_t indexTotal = 0;
  const int counted = std::min(groupCount, kMaxGroupCount);
  for (int g = 0; g < counted; ++g) {
    MeshGroup& group = groups.emplace_back();
    group.startVertex = Wrap16(vertexTotal);
    group.startIndex = Wrap16(indexTotal);
    group.startMesh = Wrap16(cursor);
    if (cursor < geometry.size()) {
      group.objectName = geometry[cursor]->meshName + kGroupObjectSuffix;
      group.fileName = geometry[cursor]->meshName + kGroupFileSuffix;
    }
    entries.RestartVertexCount();

    // A negative quantity takes nothing, and no group takes more than remain.
    const std::size_t wanted =
        static_cast<std::size_t>(std::max(quantities[static_cast<std::size_t>(g)], 0));
    const std::size_t taken = std::min(wanted, geometry.size() - cursor);
    std::size_t groupVertices = 0;
    std::size_t groupIndices = 0;
    for (std::size_t m = 0; m < taken; ++m) {
      const MeshRecord& mesh = *geometry[cursor + m];
      entries.Write(mesh);
      groupVertices += mesh.vertices.size();
      groupIndices += 3 * mesh.triangles.size();
      if (m == 0) {
        group.bounds = mesh.bounds;
      } else {
        Merge(group.bounds, mesh.bounds);
      }
    }
    group.vertexCount = Wrap16(groupVertices);
    group.indexCount = Wrap16(groupIndices);
    group.meshCount = Wrap16(taken);
    cursor += taken;
    vertexTotal += groupVertices;
    indexTotal += groupIndices;
  }
  // Quantities that fall short leave meshes no group describes; their entries
  // are still written so that the header's counts hold.
  for (; cursor < geometry.size(); ++cursor) entries.Write(*geometry[cursor]);
}

}  // namespace

std::vector<std::uint8_t> BuildMeshBuffer(
    const MeshList& meshList, int groupCount,
    const std::array<std::int32_t, kMaxGroupCount>& quantities, MeshDataSummary& summary,
    GroupList& groups) {
  summary = MeshDataSummary{};
  groups.clear();

  std::vector<const MeshRecord*> geometry;
  std::size_t indexCount = 0;
  std::size_t vertexCount = 0;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    geometry.push_back(&mesh);
    indexCount += 3 * mesh.triangles.size();
    vertexCount += mesh.vertices.size();
  }
  summary.meshCount = Wrap16(geometry.size());
  summary.indexCount = Wrap16(indexCount);
  summary.vertexCount = Wrap16(vertexCount);

  LittleEndianWriter out;
  out.Reserve(kMeshBufferHeaderSize + kMeshEntrySize * geometry.size() + 2 * indexCount +
              kMeshVertexSize * vertexCount);
  out.U32(kMeshKind);
  out.U32(kTriangleListPrimitive);
  out.U16(summary.meshCount);
  out.U16(summary.indexCount);
  out.U16(kMeshVertexFormat);
  out.U16(summary.vertexCount);

  EntryWriter entries(out, summary);
  if (groupCount > 1) {
    WriteGroupedEntries(geometry, groupCount, quantities, entries, groups);
  } else {
    for (const MeshRecord* mesh : geometry) entries.Write(*mesh);
  }

  for (const MeshRecord* mesh : geometry) out.Records(mesh->triangles);
  for (const MeshRecord* mesh : geometry) out.Records(mesh->vertices);
  return out.Take();
}

}  // namespace svcmp
