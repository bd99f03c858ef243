#include "import/gltf_primitive_sizes.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

namespace svcmp {
namespace {

constexpr int kTrianglesMode = 4;  // glTF's default primitive mode

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

// The JSON of a GLB: its first chunk, after the 12-byte header and the
// chunk's length and type.
std::string_view GlbJson(std::string_view file) {
  constexpr std::size_t kChunkData = 20;
  if (file.size() < kChunkData) return {};
  const std::size_t length = LittleEndian32(file, 12);
  if (length > file.size() - kChunkData) return {};
  return file.substr(kChunkData, length);
}

}  // namespace

nlohmann::json ReadGltfJson(const std::string& path, ModelFormat format);

namespace {

// The count of an accessor; 0 when the file does not give it.
std::size_t AccessorCount(const nlohmann::json& document, const nlohmann::json& index) {
  const nlohmann::json& accessors = document.value("accessors", nlohmann::json::array());
  if (!index.is_number_unsigned() || !accessors.is_array() ||
      index.get<std::size_t>() >= accessors.size()) {
    return 0;
  }
  const nlohmann::json& count =
      accessors[index.get<std::size_t>()].value("count", nlohmann::json());
  return count.is_number_unsigned() ? count.get<std::size_t>() : 0;
}

// Null for primitives of other modes and without positions.
std::optional<GltfPrimitiveSize> SizeOf(const nlohmann::json& document,
                                        const nlohmann::json& primitive) {
  if (!primitive.is_object() || primitive.value("mode", kTrianglesMode) != kTrianglesMode) {
    return std::nullopt;
  }
  const nlohmann::json& attributes = primitive.value("attributes", nlohmann::json::object());
  if (!attributes.is_object() || !attributes.contains("POSITION")) return std::nullopt;
  const std::size_t vertices = AccessorCount(document, attributes["POSITION"]);
  const std::size_t corners =
      primitive.contains("indices") ? AccessorCount(document, primitive["indices"]) : vertices;
  return GltfPrimitiveSize{vertices, corners / 3};
}

std::vector<GltfPrimitiveSize> ReadSizes(const std::string& path, ModelFormat format) {
  const nlohmann::json document = ReadGltfJson(path, format);
  if (!document.is_object() || !document.contains("meshes") || !document["meshes"].is_array()) {
    return {};
  }
  std::vector<GltfPrimitiveSize> sizes;
  for (const nlohmann::json& mesh : document["meshes"]) {
    if (!mesh.is_object() || !mesh.contains("primitives") || !mesh["primitives"].is_array()) {
      return {};
    }
    for (const nlohmann::json& primitive : mesh["primitives"]) {
      if (const std::optional<GltfPrimitiveSize> size = SizeOf(document, primitive)) {
        sizes.push_back(*size);
      }
    }
  }
  return sizes;
}

}  // namespace

nlohmann::json ReadGltfJson(const std::string& path, ModelFormat format) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const std::string_view json = format == ModelFormat::Glb ? GlbJson(bytes) : bytes;
  return nlohmann::json::parse(json, nullptr, false);
}

std::vector<GltfPrimitiveSize> GltfPrimitiveSizes(const std::string& path, ModelFormat format) {
  if (format != ModelFormat::Gltf && format != ModelFormat::Glb) return {};
  try {
    return ReadSizes(path, format);
  } catch (const nlohmann::json::exception&) {
    return {};  // a member of the wrong type: the reader tells what is wrong
  }
}

std::size_t DroppedTriangles(const std::vector<GltfPrimitiveSize>& primitives, std::size_t vertices,
                             std::size_t triangles) {
  std::optional<std::size_t> fewest;
  for (const GltfPrimitiveSize& primitive : primitives) {
    if (primitive.vertices != vertices || primitive.triangles < triangles) continue;
    const std::size_t dropped = primitive.triangles - triangles;
    fewest = std::min(fewest.value_or(dropped), dropped);
  }
  return fewest.value_or(0);
}

}  // namespace svcmp
