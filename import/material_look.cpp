#include "import/material_look.h"

#include <assimp/texture.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace svcmp {
namespace {

float Unit(float value) { return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f); }

// The last part of a path, whichever separator it uses.
std::string FileName(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void ReadEmbeddedTexture(const aiTexture& texture, msMaterial& material) {
  // mHeight 0 marks an image file kept whole, mWidth bytes long.
  if (texture.mHeight != 0 || texture.pcData == nullptr || texture.mWidth == 0) return;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(texture.pcData);
  const std::string hint(texture.achFormatHint, std::find(std::begin(texture.achFormatHint),
                                                          std::end(texture.achFormatHint), '\0'));
  std::string name = FileName(texture.mFilename.C_Str());
  if (name.empty()) name = material.name;
  if (name.find('.') == std::string::npos && !hint.empty()) name += "." + hint;
  material.diffuseTexture = name;
  material.embeddedTexture.assign(bytes, bytes + texture.mWidth);
}

}  // namespace

void ReadMaterialLook(const aiScene& scene, const aiMaterial& source, msMaterial& material) {
  aiColor4D colour;
  if (aiGetMaterialColor(&source, AI_MATKEY_COLOR_DIFFUSE, &colour) == AI_SUCCESS) {
    material.diffuse = std::array<float, 3>{Unit(colour.r), Unit(colour.g), Unit(colour.b)};
  }
  float opacity = 1;
  if (source.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && Unit(opacity) < 1) {
    material.opacity = Unit(opacity);
  }
  aiString path;
  if (source.GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS || path.length == 0) return;
  if (const aiTexture* embedded = scene.GetEmbeddedTexture(path.C_Str())) {
    ReadEmbeddedTexture(*embedded, material);
    return;
  }
  material.diffuseTexture = path.C_Str();
}

}  // namespace svcmp
