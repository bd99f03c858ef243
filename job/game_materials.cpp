#include "job/game_materials.h"

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "import/material_extras.h"
#include "materials/gltf_material.h"
#include "materials/image_decoding.h"
#include "render/texture_decoder.h"

namespace svcmp {
namespace {

constexpr char kKeptExtension[] = ".dds";

std::optional<std::vector<std::uint8_t>> ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
  if (file.bad()) return std::nullopt;
  return bytes;
}

std::string TextOf(const MaterialRecord& material, std::string_view leaf) {
  const MaterialLeaf* found = material.Find(leaf);
  const auto* text = found ? std::get_if<std::string>(&found->value) : nullptr;
  return text ? *text : "";
}

}  // namespace

bool CarriesGameLook(const msMaterial& material) {
  return !material.gameMaterial.empty() || !material.emissiveTexture.empty() || material.blend ||
         material.doubleSided ||
         (material.emissive && *material.emissive != std::array<float, 3>{0, 0, 0});
}

MaterialRecord GameMaterialOf(const msMaterial& material, const TextureNamer& nameTexture) {
  std::optional<MaterialRecord> original;
  if (!material.gameMaterial.empty()) {
    const auto json = nlohmann::ordered_json::parse(material.gameMaterial, nullptr, false);
    if (!json.is_discarded()) original = MaterialRecordOfJson(json, material.name);
  }
  GltfMaterial gltf;
  gltf.name = material.name;
  if (material.diffuse)
    std::copy(material.diffuse->begin(), material.diffuse->end(), gltf.baseColour.begin());
  gltf.baseColour[3] = material.opacity.value_or(1.0f);
  if (material.emissive) gltf.emissive = *material.emissive;
  gltf.blend = material.blend;
  gltf.doubleSided = material.doubleSided;
  const std::string wantedBase = original ? TextOf(*original, "Dt_name") : "";
  const std::string wantedGlow = original ? TextOf(*original, "Et_name") : "";
  if (!material.diffuseTexture.empty()) {
    gltf.baseTexture = nameTexture(material.diffuseTexture, wantedBase);
  }
  if (!material.emissiveTexture.empty()) {
    gltf.emissiveTexture = nameTexture(material.emissiveTexture, wantedGlow);
  }
  return MaterialOfGltf(gltf, original);
}

std::optional<std::vector<std::uint8_t>> KeptTexture(const std::filesystem::path& picture,
                                                     std::span<const std::uint8_t> pictureBytes) {
  std::filesystem::path keptPath = picture;
  keptPath.replace_extension(kKeptExtension);
  std::optional<std::vector<std::uint8_t>> kept = ReadFile(keptPath);
  if (!kept) return std::nullopt;
  const ImageDecodeResult shown = DecodeImage(pictureBytes);
  const render::DecodedTexture stored = render::DecodeTexture({TextureImageKind::Dds, *kept});
  if (!shown.image || !stored.image || shown.image->width != stored.image->width ||
      shown.image->height != stored.image->height) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < stored.image->pixels.size(); ++i) {
    const render::Rgb& want = stored.image->pixels[i];
    const std::uint8_t* is = shown.image->pixels.data() + 4 * i;
    if (is[0] != want.r || is[1] != want.g || is[2] != want.b) return std::nullopt;
  }
  return kept;
}

}  // namespace svcmp
