#include "render/surface_looks.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "render/texture_decoder.h"

namespace svcmp::render {
namespace {

std::uint8_t Channel(float share) {
  if (!std::isfinite(share)) return 255;
  return static_cast<std::uint8_t>(std::lround(std::clamp(share, 0.0f, 1.0f) * 255));
}

}  // namespace

std::map<std::uint32_t, SurfaceLook> LooksOf(const SurfaceLibrary& library,
                                             std::vector<std::string>& problems) {
  // By the stored image: names that differ only in letter case find the same.
  std::map<const TextureImageBytes*, std::shared_ptr<const TextureImage>> decoded;
  std::map<std::uint32_t, SurfaceLook> looks;
  for (const auto& [id, material] : library.materials) {
    SurfaceLook& look = looks[id];
    if (material.diffuse) {
      const auto& [r, g, b] = *material.diffuse;
      look.colour = {Channel(r), Channel(g), Channel(b)};
    }
    if (material.textureName.empty()) continue;
    const TextureImageBytes* stored = library.FindTexture(material.textureName);
    if (!stored) {
      problems.push_back("the texture " + material.textureName + " of the material " +
                         material.name + " is in no texture library given");
      continue;
    }
    const auto [entry, first] = decoded.try_emplace(stored);
    if (first) {
      DecodedTexture texture = DecodeTexture(*stored);
      if (texture.image) {
        entry->second = std::make_shared<const TextureImage>(std::move(*texture.image));
      } else {
        problems.push_back("the texture " + material.textureName + " cannot be drawn: " +
                           texture.reason);
      }
    }
    look.texture = entry->second;
  }
  return looks;
}

}  // namespace svcmp::render
