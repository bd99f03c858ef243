#include "import/gltf_material_facts.h"

#include <algorithm>
#include <cmath>

#include "import/gltf_primitive_sizes.h"

namespace svcmp {
namespace {

using Json = nlohmann::json;

// The extras key under which convert writes the game's material.
constexpr char kGameMaterialKey[] = "svcmp_material";

float Unit(double value) {
  return std::isfinite(value) ? static_cast<float>(std::clamp(value, 0.0, 1.0)) : 0.0f;
}

// The file an external image of texture `index` names; empty for an image
// inside the file.
std::string ImageUri(const Json& document, const Json& reference) {
  if (!reference.is_object() || !reference.contains("index") ||
      !reference["index"].is_number_unsigned()) {
    return "";
  }
  const Json& textures = document.value("textures", Json::array());
  const std::size_t texture = reference["index"].get<std::size_t>();
  if (!textures.is_array() || texture >= textures.size()) return "";
  const Json& source = textures[texture].value("source", Json());
  const Json& images = document.value("images", Json::array());
  if (!source.is_number_unsigned() || !images.is_array() ||
      source.get<std::size_t>() >= images.size()) {
    return "";
  }
  const Json& uri = images[source.get<std::size_t>()].value("uri", Json());
  if (!uri.is_string() || uri.get<std::string>().starts_with("data:")) return "";
  return uri.get<std::string>();
}

void AddFacts(const Json& document, const Json& material, msMaterial& into) {
  const Json& emissive = material.value("emissiveFactor", Json());
  if (emissive.is_array() && emissive.size() == 3 &&
      std::all_of(emissive.begin(), emissive.end(), [](const Json& v) { return v.is_number(); })) {
    into.emissive =
        std::array<float, 3>{Unit(emissive[0].get<double>()), Unit(emissive[1].get<double>()),
                             Unit(emissive[2].get<double>())};
  }
  into.emissiveTexture = ImageUri(document, material.value("emissiveTexture", Json()));
  into.blend = material.value("alphaMode", Json()) == "BLEND";
  into.doubleSided = material.value("doubleSided", Json()) == true;
  const Json& pbr = material.value("pbrMetallicRoughness", Json::object());
  const Json& base = pbr.is_object() ? pbr.value("baseColorFactor", Json()) : Json();
  if (into.blend && base.is_array() && base.size() == 4 && base[3].is_number()) {
    into.opacity = Unit(base[3].get<double>());
  }
  const Json& extras = material.value("extras", Json::object());
  if (extras.is_object() && extras.contains(kGameMaterialKey)) {
    into.gameMaterial = extras[kGameMaterialKey].dump();
  }
}

}  // namespace

void AddGltfMaterialFacts(const std::string& path, ModelFormat format, msModel& model) {
  if (format != ModelFormat::Gltf && format != ModelFormat::Glb) return;
  try {
    const Json document = ReadGltfJson(path, format);
    if (!document.is_object() || !document.contains("materials") ||
        !document["materials"].is_array()) {
      return;
    }
    for (const Json& material : document["materials"]) {
      if (!material.is_object()) continue;
      const std::string name = material.value("name", std::string());
      for (msMaterial& ours : model.materials) {
        if (ours.name == name) AddFacts(document, material, ours);
      }
    }
  } catch (const nlohmann::json::exception&) {
    // A member of the wrong type: the facts assimp gave stay.
  }
}

}  // namespace svcmp
