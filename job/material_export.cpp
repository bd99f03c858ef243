#include "job/material_export.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>

#include "job/game_materials.h"
#include "materials/dds_writer.h"
#include "materials/gltf_material.h"
#include "materials/image_decoding.h"
#include "materials/material_records.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

// Model files written on Windows name their textures with backslashes.
std::filesystem::path PortablePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return std::filesystem::path(path);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Models made on Windows name their textures in any letter case ("TEST.PNG"
// for test.png): a relative path that does not exist as written is followed
// one folder at a time, each part matched without regard to case. The path
// as written when nothing matches, so the warning names it.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& folder,
                                       const std::filesystem::path& relative) {
  std::error_code error;
  if (std::filesystem::exists(folder / relative, error)) return folder / relative;
  std::filesystem::path found = folder;
  for (const std::filesystem::path& part : relative) {
    if (std::filesystem::exists(found / part, error)) {
      found /= part;
      continue;
    }
    std::filesystem::directory_iterator entries(found.empty() ? "." : found, error);
    const auto match = std::find_if(
        begin(entries), end(entries), [&](const std::filesystem::directory_entry& entry) {
          return SameIgnoringCase(entry.path().filename().string(), part.string());
        });
    if (error || match == end(entries)) return folder / relative;
    found = match->path();
  }
  return found;
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
  if (file.bad()) return std::nullopt;
  return bytes;
}

// "hull.png", or "hull_2.png" and so on when another image has that name.
std::string FreeName(const std::string& wanted, const std::vector<LibraryTexture>& textures) {
  const auto taken = [&](const std::string& name) {
    return std::any_of(textures.begin(), textures.end(),
                       [&](const LibraryTexture& t) { return t.name == name; });
  };
  if (!taken(wanted)) return wanted;
  const std::filesystem::path path(wanted);
  const std::string stem = path.stem().string();
  const std::string extension = path.extension().string();
  for (int n = 2;; ++n) {
    std::string name = stem + "_" + std::to_string(n) + extension;
    if (!taken(name)) return name;
  }
}

}  // namespace

MaterialExport::MaterialExport(const std::vector<msMaterial>& materials,
                               std::filesystem::path modelPath, int maxTextureSide,
                               std::function<void(const std::string&)> warn)
    : sources_(materials),
      modelFolder_(std::move(modelPath).parent_path()),
      maxTextureSide_(maxTextureSide),
      warn_(std::move(warn)) {}

void MaterialExport::Collect(const MeshList& meshList) {
  materials_.clear();
  records_.clear();
  gameLook_ = false;
  textures_.clear();
  known_.clear();
  std::set<std::string> done;
  std::vector<msMaterial> used;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint || mesh.materialName.empty()) continue;
    if (!done.insert(mesh.materialName).second) continue;
    const auto source = std::find_if(sources_.begin(), sources_.end(), [&](const msMaterial& m) {
      return m.name == mesh.materialName;
    });
    used.push_back(source != sources_.end() ? *source : msMaterial{mesh.materialName});
    gameLook_ = gameLook_ || CarriesGameLook(used.back());
    LibraryMaterial material;
    material.name = mesh.materialName;
    if (source != sources_.end()) {
      if (source->diffuse) material.diffuse = *source->diffuse;
      if (source->opacity) material.opacity = *source->opacity;
      if (!source->diffuseTexture.empty())
        material.textureName = AddTexture(*source, material.textureHasAlpha);
    }
    materials_.push_back(std::move(material));
  }
  if (!gameLook_) return;
  textures_.clear();
  known_.clear();
  for (const msMaterial& look : used) {
    records_.push_back(
        GameMaterialOf(look, [&](const std::string& file, const std::string& wanted) {
          // An image the model file holds inside has no file beside it to keep.
          bool hasAlpha = false;
          return file == look.diffuseTexture && !look.embeddedTexture.empty()
                     ? AddTexture(look, hasAlpha)
                     : AddGameTexture(file, wanted, look.name);
        }));
  }
}

std::string MaterialExport::AddTexture(const msMaterial& material, bool& hasAlpha) {
  const std::filesystem::path path = PortablePath(material.diffuseTexture);
  // Embedded images are told apart by their material, files by where they lie.
  const bool embedded = !material.embeddedTexture.empty();
  const std::filesystem::path file =
      path.is_absolute() || embedded ? path : FindIgnoringCase(modelFolder_, path);
  const std::string source =
      embedded ? "embedded in " + material.name : file.lexically_normal().string();
  const auto known = std::find_if(known_.begin(), known_.end(),
                                  [&](const KnownTexture& t) { return t.source == source; });
  if (known != known_.end()) {
    hasAlpha = known->hasAlpha;
    return known->name;
  }

  const std::string what =
      "the texture \"" + material.diffuseTexture + "\" of material \"" + material.name + "\" ";
  const std::string tail = "; the material keeps its colour without a texture";
  std::optional<std::vector<std::uint8_t>> bytes =
      embedded ? std::optional(material.embeddedTexture) : ReadFile(file);
  if (!bytes) {
    WarnOnce(source, what + "cannot be read from " + file.string() + tail);
    return "";
  }
  const ImageDecodeResult decoded = DecodeImage(*bytes);
  if (!decoded.image) {
    WarnOnce(source, what + "cannot be decoded: " + decoded.reason + tail);
    return "";
  }
  hasAlpha = decoded.image->HasAlpha();
  const std::string name = FreeName(path.filename().string(), textures_);
  textures_.push_back({name, WriteDds(*decoded.image, maxTextureSide_)});
  known_.push_back({source, name, hasAlpha});
  return name;
}

std::string MaterialExport::AddGameTexture(const std::string& file, const std::string& wanted,
                                           const std::string& material) {
  const std::filesystem::path path = PortablePath(file);
  const std::filesystem::path found =
      path.is_absolute() ? path : FindIgnoringCase(modelFolder_, path);
  const std::string source = found.lexically_normal().string();
  const auto known = std::find_if(known_.begin(), known_.end(),
                                  [&](const KnownTexture& t) { return t.source == source; });
  if (known != known_.end()) return known->name;
  const std::string what = "the texture \"" + file + "\" of material \"" + material + "\" ";
  const std::optional<std::vector<std::uint8_t>> bytes = ReadFile(found);
  if (!bytes) {
    WarnOnce(source, what + "cannot be read from " + found.string() + "; it is left out");
    return "";
  }
  std::optional<std::vector<std::uint8_t>> dds = KeptTexture(found, *bytes);
  if (!dds) {
    const ImageDecodeResult decoded = DecodeImage(*bytes);
    if (!decoded.image) {
      WarnOnce(source, what + "cannot be decoded: " + decoded.reason + "; it is left out");
      return "";
    }
    dds = WriteDds(*decoded.image, maxTextureSide_);
  }
  // Converted from the library's texture: its name comes back.
  const bool converted = !wanted.empty() && PictureFileName(wanted) == found.filename().string();
  const std::string name = FreeName(converted ? wanted : found.filename().string(), textures_);
  textures_.push_back({name, std::move(*dds)});
  known_.push_back({source, name, false});
  return name;
}

void MaterialExport::WarnOnce(const std::string& source, const std::string& warning) {
  if (unusable_.insert(source).second) warn_(warning);
}

void MaterialExport::AddTo(UtfTree& tree) const {
  if (!gameLook_) {
    AddMaterialLibrary(tree, materials_, textures_);
    return;
  }
  AddMaterialRecords(tree, records_);
  AddMaterialLibrary(tree, {}, textures_);
}

StepResult<std::vector<std::uint8_t>> MaterialExport::MaterialFileBytes(
    const std::filesystem::path& path, bool update) const {
  using Result = StepResult<std::vector<std::uint8_t>>;
  UtfTree tree;
  std::error_code ignored;
  if (update && std::filesystem::exists(path, ignored)) {
    const UtfReadResult read = ReadUtfFile(path, tree, nullptr);
    if (!read.ok()) {
      return Result::Failed("\"" + path.string() + "\" cannot be updated: " + read.reason +
                            ". It was left unchanged.");
    }
  }
  AddTo(tree);
  UtfImageResult image = MakeUtfImage(tree);
  if (!image.bytes) {
    return Result::Failed("\"" + path.string() + "\" could not be written: " + image.reason);
  }
  return Result::Made(std::move(*image.bytes));
}

}  // namespace svcmp
