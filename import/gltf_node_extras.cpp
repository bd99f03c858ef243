#include "import/gltf_node_extras.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "import/gltf_material_looks.h"
#include "import/scene_properties_json.h"
#include "utf/file_io.h"

namespace svcmp {
namespace {

using Json = nlohmann::ordered_json;

// The binary container: a 12-byte header, then chunks of length, type and
// data, the JSON chunk first and padded with spaces to four bytes.
constexpr std::uint32_t kGlbMagic = 0x46546C67;       // "glTF"
constexpr std::uint32_t kJsonChunkType = 0x4E4F534A;  // "JSON"
constexpr std::size_t kGlbHeaderSize = 12;
constexpr std::size_t kChunkHeaderSize = 8;

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
  return value;
}

void AppendU32(std::vector<std::uint8_t>& bytes, std::size_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct GlbParts {
  std::string_view json;
  std::span<const std::uint8_t> rest;  // the chunks after the JSON one
};

std::optional<GlbParts> SplitGlb(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kGlbHeaderSize + kChunkHeaderSize || ReadU32(bytes, 0) != kGlbMagic ||
      ReadU32(bytes, 12 + 4) != kJsonChunkType) {
    return std::nullopt;
  }
  const std::size_t jsonSize = ReadU32(bytes, kGlbHeaderSize);
  const std::size_t jsonStart = kGlbHeaderSize + kChunkHeaderSize;
  if (jsonSize > bytes.size() - jsonStart) return std::nullopt;
  return GlbParts{{reinterpret_cast<const char*>(bytes.data() + jsonStart), jsonSize},
                  bytes.subspan(jsonStart + jsonSize)};
}

std::vector<std::uint8_t> JoinGlb(std::uint32_t version, std::string json,
                                  std::span<const std::uint8_t> rest) {
  json.resize((json.size() + 3) / 4 * 4, ' ');
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kGlbHeaderSize + kChunkHeaderSize + json.size() + rest.size());
  AppendU32(bytes, kGlbMagic);
  AppendU32(bytes, version);
  AppendU32(bytes, kGlbHeaderSize + kChunkHeaderSize + json.size() + rest.size());
  AppendU32(bytes, json.size());
  AppendU32(bytes, kJsonChunkType);
  bytes.insert(bytes.end(), json.begin(), json.end());
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return bytes;
}

// Walks the file's node tree from its scene's first node beside the scene's
// tree (its root, then each node's children in document order), and gives
// each scene node with properties its extras. False when the trees differ.
bool AddExtras(const SceneDocument& scene, Json& gltf) {
  std::vector<std::vector<int>> children(scene.nodes.size() + 1);  // [parent + 1]
  for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
    children[static_cast<std::size_t>(scene.nodes[i].parent + 1)].push_back(static_cast<int>(i));
  }
  Json& nodes = gltf["nodes"];
  const Json& scenes = gltf["scenes"];
  const std::size_t sceneIndex = gltf.value("scene", std::size_t{0});
  if (!nodes.is_array() || !scenes.is_array() || sceneIndex >= scenes.size() ||
      !scenes[sceneIndex].contains("nodes") || scenes[sceneIndex]["nodes"].empty()) {
    return false;
  }
  std::vector<std::pair<std::size_t, int>> pending{
      {scenes[sceneIndex]["nodes"][0].get<std::size_t>(), -1}};  // file's node, scene's node
  while (!pending.empty()) {
    const auto [at, ours] = pending.back();
    pending.pop_back();
    if (at >= nodes.size()) return false;
    Json& node = nodes[at];
    const std::string& name =
        ours < 0 ? scene.name : scene.nodes[static_cast<std::size_t>(ours)].name;
    const std::vector<int>& ourChildren = children[static_cast<std::size_t>(ours + 1)];
    const Json noChildren = Json::array();
    const Json& itsChildren = node.contains("children") ? node["children"] : noChildren;
    if (node.value("name", std::string()) != name || itsChildren.size() != ourChildren.size()) {
      return false;
    }
    for (std::size_t c = 0; c < ourChildren.size(); ++c) {
      pending.emplace_back(itsChildren[c].get<std::size_t>(), ourChildren[c]);
    }
    if (ours < 0) continue;
    const auto& properties = scene.nodes[static_cast<std::size_t>(ours)].properties;
    bool finite = true;
    if (!properties.empty()) node["extras"] = ScenePropertiesJson(properties, finite);
  }
  return true;
}

}  // namespace

std::string AddGltfNodeExtras(const SceneDocument& scene, const std::string& format,
                              const std::string& path) {
  const bool binary = format == "glb2";
  if ((!binary && format != "gltf2") ||
      (scene.looks.empty() && std::ranges::none_of(scene.nodes, [](const SceneNode& node) {
         return !node.properties.empty();
       }))) {
    return "";
  }
  const std::string unmatched = "\"" + path + "\": the written nodes are not the scene's";
  const FileReadResult read = ReadWholeFile(path);
  if (!read.bytes) return read.reason;
  const std::span<const std::uint8_t> bytes(read.bytes->data(), read.bytes->size());
  std::optional<GlbParts> glb;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (binary) {
    glb = SplitGlb(bytes);
    if (!glb) return unmatched;
    text = glb->json;
  }
  Json gltf = Json::parse(text.begin(), text.end(), nullptr, false);
  if (gltf.is_discarded() || !gltf.is_object() || !AddExtras(scene, gltf)) return unmatched;
  AddGltfMaterialLooks(scene, gltf);
  std::string json = gltf.dump(binary ? -1 : 4, ' ', false, Json::error_handler_t::replace);
  const std::vector<std::uint8_t> written =
      binary ? JoinGlb(ReadU32(bytes, 4), std::move(json), glb->rest)
             : std::vector<std::uint8_t>(json.begin(), json.end());
  const FileWriteResult replaced = ReplaceFileContents(path, written);
  return replaced.written ? "" : replaced.reason;
}

}  // namespace svcmp
