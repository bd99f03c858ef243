#include "inspect/mesh_buffer_decoder.h"

#include "format/mesh_buffer_layout.h"
#include "inspect/leaf_reader.h"

namespace svcmp {
namespace {

constexpr std::uint16_t kKnownFormatBits =
    kVertexPosition | kVertexNormal | kVertexDiffuse | kVertexSpecular | kVertexTextureCount;

// Direct3D's primitive types: point list to triangle fan.
constexpr std::uint32_t kFirstPrimitiveType = 1;
constexpr std::uint32_t kLastPrimitiveType = 6;

void Report(Findings& findings, const std::string& path, std::string_view rule, std::string message,
            Severity severity = Severity::Error) {
  findings.push_back({path, severity, std::string(rule), std::move(message)});
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%03X", value);
  return text;
}

BufferVertex ReadVertex(const LeafReader& leaf, std::uint64_t at, std::uint16_t format) {
  BufferVertex vertex;
  vertex.position = leaf.Floats<3>(at);
  at += 12;
  if (format & kVertexNormal) {
    vertex.normal = leaf.Floats<3>(at);
    at += 12;
  }
  if (format & kVertexDiffuse) {
    vertex.diffuse = leaf.U32(at);
    at += 4;
  }
  if (format & kVertexSpecular) {
    vertex.specular = leaf.U32(at);
    at += 4;
  }
  if (format & kVertexTextureCount) vertex.texture = leaf.Floats<2>(at);
  return vertex;
}

// Every mesh's vertex range must lie in the vertex list (a mesh reference
// may shift it further, which its own check covers) and every index must
// address a vertex of its mesh. One finding per mesh at most.
void CheckMeshes(const MeshBuffer& buffer, const std::string& path, Findings& findings) {
  for (std::size_t m = 0; m < buffer.meshes.size(); ++m) {
    const BufferMesh& mesh = buffer.meshes[m];
    const std::size_t count = mesh.VertexCount();
    const std::string name = "mesh " + std::to_string(m);
    if (count > 0 && std::size_t{mesh.startVertex} + count > buffer.vertices.size()) {
      Report(findings, path, rules::kMeshRange,
             name + ": vertices " + std::to_string(mesh.startVertex) + " to " +
                 std::to_string(mesh.endVertex) + " lie outside the " +
                 std::to_string(buffer.vertices.size()) + " vertices of the buffer");
    }
    for (std::size_t i = 0; i < mesh.indexCount; ++i) {
      const std::uint16_t index = buffer.indices[mesh.firstIndex + i];
      if (index >= count) {
        Report(findings, path, rules::kIndexRange,
               name + ": index " + std::to_string(index) + " (at " +
                   std::to_string(mesh.firstIndex + i) + ") is outside its " +
                   std::to_string(count) + " vertices");
        break;
      }
    }
  }
}

}  // namespace

std::optional<std::size_t> VertexSize(std::uint16_t format) {
  if ((format & ~kKnownFormatBits) != 0 || (format & kVertexPosition) == 0) return std::nullopt;
  std::size_t size = 12;
  if (format & kVertexNormal) size += 12;
  if (format & kVertexDiffuse) size += 4;
  if (format & kVertexSpecular) size += 4;
  size += 8 * ((format & kVertexTextureCount) >> kVertexTextureShift);
  return size;
}

std::optional<MeshBuffer> DecodeMeshBuffer(std::span<const std::uint8_t> bytes,
                                           const std::string& path, Findings& findings) {
  const LeafReader leaf(bytes);
  if (!leaf.Holds(0, kMeshBufferHeaderSize)) {
    Report(findings, path, rules::kMeshBufferFit,
           "the mesh buffer is " + std::to_string(leaf.Size()) + " bytes, shorter than its " +
               std::to_string(kMeshBufferHeaderSize) + "-byte header");
    return std::nullopt;
  }
  MeshBuffer buffer;
  buffer.meshKind = leaf.U32(0);
  buffer.primitiveType = leaf.U32(4);
  const std::uint16_t meshCount = leaf.U16(8);
  const std::uint16_t indexCount = leaf.U16(10);
  buffer.vertexFormat = leaf.U16(12);
  const std::uint16_t vertexCount = leaf.U16(14);
  if (buffer.meshKind != kMeshKind) {
    Report(findings, path, rules::kMeshKind,
           "unknown mesh kind " + std::to_string(buffer.meshKind) + " (expected " +
               std::to_string(kMeshKind) + ")");
  }
  if (buffer.primitiveType < kFirstPrimitiveType || buffer.primitiveType > kLastPrimitiveType) {
    Report(findings, path, rules::kPrimitiveType,
           "unknown primitive type " + std::to_string(buffer.primitiveType));
  }
  const std::optional<std::size_t> vertexSize = VertexSize(buffer.vertexFormat);
  if (!vertexSize) {
    Report(findings, path, rules::kVertexFormat,
           "unknown vertex format " + Hex(buffer.vertexFormat) +
               " (known: position 0x002 with normal 0x010, colours 0x040 and 0x080, "
               "texture sets 0x100 to 0xF00)");
    return std::nullopt;
  }
  buffer.vertexSize = *vertexSize;

  // 16-bit counts keep every section size far below 2^64.
  const std::uint64_t recordsEnd =
      kMeshBufferHeaderSize + std::uint64_t{kMeshEntrySize} * meshCount;
  const std::uint64_t indicesEnd = recordsEnd + 2ull * indexCount;
  const std::uint64_t verticesEnd = indicesEnd + std::uint64_t{buffer.vertexSize} * vertexCount;
  const auto doesNotFit = [&](const std::string& what, std::uint64_t end) {
    Report(findings, path, rules::kMeshBufferFit,
           what + " run to byte " + std::to_string(end) + ", past the end of the " +
               std::to_string(leaf.Size()) + "-byte buffer");
    return std::nullopt;
  };
  if (recordsEnd > leaf.Size())
    return doesNotFit(std::to_string(meshCount) + " mesh records", recordsEnd);
  if (indicesEnd > leaf.Size())
    return doesNotFit(std::to_string(indexCount) + " indices", indicesEnd);
  if (verticesEnd > leaf.Size()) {
    return doesNotFit(std::to_string(vertexCount) + " vertices of " +
                          std::to_string(buffer.vertexSize) + " bytes",
                      verticesEnd);
  }

  std::size_t nextIndex = 0;
  buffer.meshes.reserve(meshCount);
  for (std::size_t m = 0; m < meshCount; ++m) {
    const std::uint64_t at = kMeshBufferHeaderSize + kMeshEntrySize * m;
    BufferMesh mesh{leaf.U32(at),     leaf.U16(at + 4),  leaf.U16(at + 6),
                    leaf.U16(at + 8), leaf.U16(at + 10), nextIndex};
    nextIndex += mesh.indexCount;
    buffer.meshes.push_back(mesh);
  }
  if (nextIndex > indexCount) {
    Report(findings, path, rules::kMeshBufferFit,
           "the mesh records use " + std::to_string(nextIndex) + " indices, the buffer holds " +
               std::to_string(indexCount));
    return std::nullopt;
  }
  buffer.indices.reserve(indexCount);
  for (std::size_t i = 0; i < indexCount; ++i)
    buffer.indices.push_back(leaf.U16(recordsEnd + 2 * i));
  buffer.vertices.reserve(vertexCount);
  for (std::size_t v = 0; v < vertexCount; ++v) {
    buffer.vertices.push_back(
        ReadVertex(leaf, indicesEnd + buffer.vertexSize * v, buffer.vertexFormat));
  }
  buffer.trailingBytes = leaf.Size() - verticesEnd;
  if (buffer.trailingBytes > 0) {
    Report(findings, path, rules::kTrailingBytes,
           std::to_string(buffer.trailingBytes) + " bytes follow the last vertex",
           Severity::Warning);
  }
  CheckMeshes(buffer, path, findings);
  return buffer;
}

}  // namespace svcmp
