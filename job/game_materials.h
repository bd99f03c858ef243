#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "format/material_record.h"
#include "host/host_model.h"

// The way back from a converted model's glTF materials to the game's
// materials: the look the model file gives, over the game's material it
// carries, picks the released type that says it.
namespace svcmp {

// Whether the material says more than a diffuse colour, opacity and texture
// can: then it is written leaf by leaf as the game's material.
bool CarriesGameLook(const msMaterial& material);

// Gives the texture's name in the library for the image file `file` that the
// model names, which was converted from the library's texture `wanted`
// (empty when none); empty when it cannot be had.
using TextureNamer = std::function<std::string(const std::string& file, const std::string& wanted)>;

// The game's material for `material`: its look over the game's material it
// carries (when that reads), its textures named by `nameTexture`.
MaterialRecord GameMaterialOf(const msMaterial& material, const TextureNamer& nameTexture);

// The bytes of the texture file kept beside the picture `picture` (its name
// with ".dds" for ".png"), when they decode to the same pixels as
// `pictureBytes`: the texture was not edited, and the library gets the
// original back. None otherwise.
std::optional<std::vector<std::uint8_t>> KeptTexture(const std::filesystem::path& picture,
                                                     std::span<const std::uint8_t> pictureBytes);

}  // namespace svcmp
