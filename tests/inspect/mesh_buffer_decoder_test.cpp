#include "inspect/mesh_buffer_decoder.h"

#include <gtest/gtest.h>

#include "tests/inspect/inspect_test_files.h"

namespace svcmp {
namespace {

using testing::MeshBufferBytes;
using testing::TwoMeshBuffer;

const std::string kPath = "/VMeshLibrary/a.lod0.vms/VMeshData";

std::vector<std::string> Rules(const Findings& findings) {
  std::vector<std::string> rules;
  for (const Finding& finding : findings) {
    rules.push_back((finding.severity == Severity::Error ? "error " : "warning ") + finding.rule);
  }
  return rules;
}

TEST(MeshBufferDecoder, DecodesEveryVertexFormatOfOtherTools) {
  const struct {
    std::uint16_t format;
    std::size_t vertexSize;
  } formats[] = {{0x002, 12}, {0x012, 24}, {0x102, 20}, {0x112, 32}, {0x142, 24},
                 {0x152, 36}, {0x212, 40}, {0x252, 44}, {0x1D2, 40}};
  for (const auto& [format, vertexSize] : formats) {
    SCOPED_TRACE(format);
    const auto bytes = TwoMeshBuffer(format);
    Findings findings;
    const auto buffer = DecodeMeshBuffer(bytes, kPath, findings);
    ASSERT_TRUE(buffer);
    EXPECT_TRUE(findings.empty());
    EXPECT_EQ(buffer->vertexSize, vertexSize);
    EXPECT_EQ(bytes.size(), 16 + 2 * 12 + 6 * 2 + 4 * vertexSize);
    ASSERT_EQ(buffer->vertices.size(), 4u);
    ASSERT_EQ(buffer->meshes.size(), 2u);
    EXPECT_EQ(buffer->meshes[1].materialId, 0xBBu);
    EXPECT_EQ(buffer->meshes[1].firstIndex, 3u);
    EXPECT_EQ(buffer->indices, (std::vector<std::uint16_t>{0, 1, 2, 2, 1, 0}));
    const BufferVertex& v = buffer->vertices[3];
    EXPECT_EQ(v.position, (Vector3{3, 3.5f, -3}));
    EXPECT_EQ(v.normal, (format & kVertexNormal) ? (Vector3{0, 1, 0}) : (Vector3{}));
    EXPECT_EQ(v.diffuse, (format & kVertexDiffuse) ? 0xFF000003u : 0u);
    EXPECT_EQ(v.specular, (format & kVertexSpecular) ? 0x00112233u : 0u);
    EXPECT_EQ(v.texture, (format & kVertexTextureCount) ? (std::array<float, 2>{3, -2})
                                                        : (std::array<float, 2>{}));
  }
}

TEST(MeshBufferDecoder, NamesEachFaultWithItsRule) {
  const auto valid = TwoMeshBuffer(kMeshVertexFormat);
  const auto patched = [&](std::size_t offset, std::uint8_t value) {
    auto bytes = valid;
    bytes[offset] = value;
    return bytes;
  };
  const auto cut = [&](std::size_t size) {
    return std::vector<std::uint8_t>(valid.begin(), valid.begin() + size);
  };
  auto trailing = valid;
  trailing.insert(trailing.end(), {0, 0, 0});
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> rules;
    bool decoded;
  } cases[] = {
      {"header cut", cut(15), {"error mesh-buffer-fit"}, false},
      {"records cut", cut(16 + 12), {"error mesh-buffer-fit"}, false},
      {"indices cut", cut(16 + 24 + 11), {"error mesh-buffer-fit"}, false},
      {"vertices cut", cut(valid.size() - 1), {"error mesh-buffer-fit"}, false},
      {"unknown mesh kind", patched(0, 2), {"error mesh-kind"}, true},
      {"unknown primitive", patched(4, 9), {"error primitive-type"}, true},
      {"unknown format bit", patched(12, 0x13), {"error vertex-format"}, false},
      {"format without position", patched(12, 0x10), {"error vertex-format"}, false},
      {"records use more indices than held", patched(10, 5), {"error mesh-buffer-fit"}, false},
      {"index outside its mesh", patched(16 + 24 + 2, 3), {"error index-range"}, true},
      {"mesh past the vertices", patched(16 + 12 + 6, 4), {"error mesh-range"}, true},
      {"trailing bytes", trailing, {"warning trailing-bytes"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Findings findings;
    const auto buffer = DecodeMeshBuffer(c.bytes, kPath, findings);
    EXPECT_EQ(buffer.has_value(), c.decoded);
    EXPECT_EQ(Rules(findings), c.rules);
    for (const Finding& finding : findings) EXPECT_EQ(finding.path, kPath);
  }
}

TEST(MeshBufferDecoder, MeshWithoutVerticesIsAnEmptyRange) {
  // Our export writes end = start - 1 for a mesh without vertices.
  const auto bytes =
      MeshBufferBytes(kMeshVertexFormat, {{1, 0, 0xFFFF, {}}, {2, 0, 2, {0, 1, 2}}}, 3);
  Findings findings;
  const auto buffer = DecodeMeshBuffer(bytes, kPath, findings);
  ASSERT_TRUE(buffer);
  EXPECT_TRUE(findings.empty());
  EXPECT_EQ(buffer->meshes[0].VertexCount(), 0);
}

TEST(MeshBufferDecoder, EveryPrefixFailsCleanly) {
  const auto valid = TwoMeshBuffer(0x252);
  for (std::size_t size = 0; size < valid.size(); ++size) {
    Findings findings;
    const std::vector<std::uint8_t> prefix(valid.begin(), valid.begin() + size);
    EXPECT_FALSE(DecodeMeshBuffer(prefix, kPath, findings)) << size;
    EXPECT_FALSE(findings.empty()) << size;
  }
}

}  // namespace
}  // namespace svcmp
