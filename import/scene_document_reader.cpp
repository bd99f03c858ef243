#include <algorithm>
#include <nlohmann/json.hpp>

#include "import/material_extras.h"
#include "import/scene_document.h"

namespace svcmp {
namespace {

using Json = nlohmann::ordered_json;
namespace keys = scene_keys;

// Thrown inside this file only, with the place that broke a rule.
struct Refusal {
  std::string message;
};

const Json& Member(const Json& object, const char* key, const std::string& place) {
  if (!object.is_object() || !object.contains(key)) {
    throw Refusal{place + ": expected \"" + key + "\""};
  }
  return object[key];
}

template <std::size_t N>
std::array<float, N> Numbers(const Json& value, const std::string& place) {
  if (!value.is_array() || value.size() != N) {
    throw Refusal{place + ": expected " + std::to_string(N) + " numbers"};
  }
  std::array<float, N> numbers{};
  for (std::size_t i = 0; i < N; ++i) {
    if (!value[i].is_number()) throw Refusal{place + ": expected a number"};
    numbers[i] = static_cast<float>(value[i].get<double>());
  }
  return numbers;
}

template <std::size_t N>
std::vector<std::array<float, N>> Rows(const Json& value, const std::string& place) {
  if (!value.is_array()) throw Refusal{place + ": expected a list"};
  std::vector<std::array<float, N>> rows;
  rows.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    rows.push_back(Numbers<N>(value[i], place + "[" + std::to_string(i) + "]"));
  }
  return rows;
}

// Whole numbers from 0 to below `limit`.
std::vector<std::uint32_t> Indices(const Json& value, std::size_t limit, const std::string& place) {
  if (!value.is_array()) throw Refusal{place + ": expected a list"};
  std::vector<std::uint32_t> indices;
  indices.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (!value[i].is_number_unsigned() || value[i].get<std::uint64_t>() >= limit) {
      throw Refusal{place + "[" + std::to_string(i) + "]: expected a number below " +
                    std::to_string(limit)};
    }
    indices.push_back(static_cast<std::uint32_t>(value[i].get<std::uint64_t>()));
  }
  return indices;
}

std::string Text(const Json& value, const std::string& place) {
  if (!value.is_string()) throw Refusal{place + ": expected a text"};
  return value.get<std::string>();
}

SceneMesh ReadMesh(const Json& value, std::size_t materialCount, const std::string& place) {
  SceneMesh mesh;
  mesh.name = Text(Member(value, keys::kName, place), place + "." + keys::kName);
  const auto material = Indices(Json::array({Member(value, keys::kMaterial, place)}), materialCount,
                                place + "." + keys::kMaterial);
  mesh.material = material[0];
  mesh.positions = Rows<3>(Member(value, keys::kPositions, place), place + "." + keys::kPositions);
  mesh.normals = Rows<3>(Member(value, keys::kNormals, place), place + "." + keys::kNormals);
  mesh.texture = Rows<2>(Member(value, keys::kTexture, place), place + "." + keys::kTexture);
  if (mesh.normals.size() != mesh.positions.size() ||
      mesh.texture.size() != mesh.positions.size()) {
    throw Refusal{place + ": expected one normal and one texture point per position"};
  }
  mesh.indices = Indices(Member(value, keys::kIndices, place), mesh.positions.size(),
                         place + "." + keys::kIndices);
  if (value.contains(keys::kLines)) {
    const Json& lines = value.at(keys::kLines);
    if (!lines.is_boolean()) throw Refusal{place + "." + keys::kLines + ": expected true or false"};
    mesh.lines = lines.get<bool>();
  }
  if (mesh.indices.size() % (mesh.lines ? 2 : 3) != 0) {
    throw Refusal{place +
                  (mesh.lines ? ": expected whole segments" : ": expected whole triangles")};
  }
  return mesh;
}

std::vector<SceneProperty> ReadProperties(const Json& value, const std::string& place) {
  if (!value.is_object()) throw Refusal{place + ": expected an object"};
  std::vector<SceneProperty> properties;
  for (const auto& [name, item] : value.items()) {
    const std::string at = place + "." + name;
    if (item.is_string()) {
      properties.push_back({name, item.get<std::string>()});
    } else if (item.is_boolean()) {
      properties.push_back({name, item.get<bool>()});
    } else if (item.is_number()) {
      properties.push_back({name, item.get<double>()});
    } else if (item.is_array() &&
               std::ranges::all_of(item, [](const Json& number) { return number.is_number(); })) {
      properties.push_back({name, item.get<std::vector<double>>()});
    } else {
      throw Refusal{at + ": expected a text, a number, true or false, or a list of numbers"};
    }
  }
  return properties;
}

SceneNode ReadNode(const Json& value, std::size_t index, std::size_t meshCount,
                   const std::string& place) {
  SceneNode node;
  node.name = Text(Member(value, keys::kName, place), place + "." + keys::kName);
  const Json& parent = Member(value, keys::kParent, place);
  if (!parent.is_number_integer() || parent.get<std::int64_t>() < -1 ||
      parent.get<std::int64_t>() >= static_cast<std::int64_t>(index)) {
    throw Refusal{place + "." + keys::kParent + ": expected -1 or an earlier node"};
  }
  node.parent = static_cast<int>(parent.get<std::int64_t>());
  node.rotation = Numbers<9>(Member(value, keys::kRotation, place), place + "." + keys::kRotation);
  node.translation =
      Numbers<3>(Member(value, keys::kTranslation, place), place + "." + keys::kTranslation);
  node.meshes =
      Indices(Member(value, keys::kMeshes, place), meshCount, place + "." + keys::kMeshes);
  if (value.contains(keys::kProperties)) {
    node.properties = ReadProperties(value[keys::kProperties], place + "." + keys::kProperties);
  }
  return node;
}

std::vector<float> Floats(const Json& value, const std::string& place) {
  if (!value.is_array()) throw Refusal{place + ": expected a list"};
  std::vector<float> numbers;
  numbers.reserve(value.size());
  for (const Json& number : value) {
    if (!number.is_number()) throw Refusal{place + ": expected numbers"};
    numbers.push_back(static_cast<float>(number.get<double>()));
  }
  return numbers;
}

// Linear translation or rotation keys of a node, times rising.
msAnimationChannel ReadChannel(const Json& value, std::size_t nodeCount, const std::string& place) {
  msAnimationChannel channel;
  channel.node = static_cast<int>(Indices(Json::array({Member(value, keys::kNode, place)}),
                                          nodeCount, place + "." + keys::kNode)
                                      .front());
  const std::string path = Text(Member(value, keys::kPath, place), place + "." + keys::kPath);
  if (path != keys::kTranslation && path != keys::kRotation) {
    throw Refusal{place + "." + keys::kPath + ": expected translation or rotation"};
  }
  channel.path = path == keys::kRotation ? msAnimationPath::Rotation : msAnimationPath::Translation;
  channel.times = Floats(Member(value, keys::kTimes, place), place + "." + keys::kTimes);
  channel.values = Floats(Member(value, keys::kValues, place), place + "." + keys::kValues);
  const std::size_t size = channel.path == msAnimationPath::Rotation ? 4 : 3;
  if (channel.times.empty() || channel.values.size() != size * channel.times.size() ||
      !std::ranges::is_sorted(channel.times, std::less_equal<>())) {
    throw Refusal{place + ": expected rising times and " + std::to_string(size) + " values a time"};
  }
  return channel;
}

bool Flag(const Json& value, const std::string& place) {
  if (!value.is_boolean()) throw Refusal{place + ": expected true or false"};
  return value.get<bool>();
}

SceneMaterialLook ReadLook(const Json& value, const std::string& name, const std::string& place) {
  SceneMaterialLook look;
  look.baseColour = Numbers<4>(Member(value, keys::kBaseColour, place), place);
  look.emissive = Numbers<3>(Member(value, keys::kEmissive, place), place);
  look.baseTexture = Text(Member(value, keys::kBaseTexture, place), place);
  look.emissiveTexture = Text(Member(value, keys::kEmissiveTexture, place), place);
  look.blend = Flag(Member(value, keys::kBlend, place), place);
  look.doubleSided = Flag(Member(value, keys::kDoubleSided, place), place);
  if (value.contains(keys::kOriginal)) {
    look.original = MaterialRecordOfJson(value[keys::kOriginal], name);
    if (!look.original) throw Refusal{place + ": the original material is not one"};
  }
  return look;
}

}  // namespace

SceneDocumentResult ParseSceneDocument(std::string_view text) {
  const Json root = Json::parse(text.begin(), text.end(), nullptr, false);
  if (root.is_discarded()) return {std::nullopt, "the scene is not JSON"};
  try {
    SceneDocument scene;
    scene.name = Text(Member(root, keys::kName, "scene"), keys::kName);
    const Json& materials = Member(root, keys::kMaterials, "scene");
    if (!materials.is_array()) throw Refusal{std::string(keys::kMaterials) + ": expected a list"};
    for (std::size_t i = 0; i < materials.size(); ++i) {
      scene.materials.push_back(
          Text(materials[i], std::string(keys::kMaterials) + "[" + std::to_string(i) + "]"));
    }
    if (root.contains(keys::kLooks)) {
      const Json& looks = root[keys::kLooks];
      if (!looks.is_array() || looks.size() != scene.materials.size()) {
        throw Refusal{std::string(keys::kLooks) + ": expected one per material"};
      }
      for (std::size_t i = 0; i < looks.size(); ++i) {
        scene.looks.push_back(ReadLook(looks[i], scene.materials[i],
                                       std::string(keys::kLooks) + "[" + std::to_string(i) + "]"));
      }
    }
    const Json& meshes = Member(root, keys::kMeshes, "scene");
    const Json& nodes = Member(root, keys::kNodes, "scene");
    if (!meshes.is_array() || !nodes.is_array()) throw Refusal{"scene: expected lists"};
    for (std::size_t i = 0; i < meshes.size(); ++i) {
      scene.meshes.push_back(ReadMesh(meshes[i], scene.materials.size(),
                                      std::string(keys::kMeshes) + "[" + std::to_string(i) + "]"));
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      scene.nodes.push_back(ReadNode(nodes[i], i, scene.meshes.size(),
                                     std::string(keys::kNodes) + "[" + std::to_string(i) + "]"));
    }
    if (root.contains(keys::kAnimations)) {
      const Json& animations = root[keys::kAnimations];
      if (!animations.is_array())
        throw Refusal{std::string(keys::kAnimations) + ": expected a list"};
      for (std::size_t a = 0; a < animations.size(); ++a) {
        const std::string place = std::string(keys::kAnimations) + "[" + std::to_string(a) + "]";
        msAnimation& animation = scene.animations.emplace_back();
        animation.name = Text(Member(animations[a], keys::kName, place), place + "." + keys::kName);
        const Json& channels = Member(animations[a], keys::kChannels, place);
        if (!channels.is_array()) throw Refusal{place + ".channels: expected a list"};
        for (std::size_t c = 0; c < channels.size(); ++c) {
          animation.channels.push_back(ReadChannel(channels[c], scene.nodes.size(),
                                                   place + ".channels[" + std::to_string(c) + "]"));
        }
      }
    }
    return {std::move(scene), ""};
  } catch (const Refusal& refusal) {
    return {std::nullopt, refusal.message};
  }
}

}  // namespace svcmp
