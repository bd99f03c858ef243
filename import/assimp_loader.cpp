#include "import/assimp_loader.h"

#include <assimp/BaseImporter.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <array>
#include <assimp/Importer.hpp>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "import/import_losses.h"
#include "import/import_messages.h"
#include "import/material_look.h"

namespace svcmp {
namespace {

namespace msg = import_messages;

// Triangulation and texture coordinates with V running downwards, as the
// host and the game keep them (assimp turns every format to V upwards; glTF
// files store V downwards and come out as written). Every step that renames,
// reorders, splits, merges or optimises meshes would break the mesh order and
// names the export relies on. Points and lines are dropped while converting.
constexpr unsigned kPostProcessing = aiProcess_Triangulate | aiProcess_FlipUVs;

// Row-major 4x4 in double, so that a deep hierarchy rounds each position once.
using Matrix = std::array<double, 16>;

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix ToMatrix(const aiMatrix4x4& m) {
  return {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4,
          m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3, m.d4};
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix result{};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[row * 4 + k] * b[k * 4 + col];
      result[row * 4 + col] = sum;
    }
  }
  return result;
}

std::array<float, 3> Transform(const Matrix& m, const aiVector3D& p) {
  std::array<float, 3> out{};
  for (int row = 0; row < 3; ++row) {
    const double value =
        m[row * 4] * p.x + m[row * 4 + 1] * p.y + m[row * 4 + 2] * p.z + m[row * 4 + 3];
    out[row] = static_cast<float>(value);
  }
  return out;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string FileMessage(const std::string& path, const std::string& reason) {
  return Quoted(path) + ": " + reason;
}

bool StartsWithHp(const std::string& name) {
  return name.size() >= 2 && (name[0] == 'h' || name[0] == 'H') &&
         (name[1] == 'p' || name[1] == 'P');
}

// Assimp names unnamed glTF nodes after their index ("nodes[3]"); that is no
// name a modder gave, so it counts as missing like an empty one.
bool IsMissingName(const std::string& name) {
  constexpr std::string_view kPrefix = "nodes[";
  if (name.empty()) return true;
  if (name.size() < kPrefix.size() + 2 || name.compare(0, kPrefix.size(), kPrefix) != 0 ||
      name.back() != ']') {
    return false;
  }
  for (std::size_t i = kPrefix.size(); i + 1 < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

// The readers add a material of their own to files without one (assimp's
// "DefaultMaterial", the 3DS reader's "%%%DEFAULT"); it carries no name a
// modder chose, so meshes on it get no material.
bool IsPlaceholderMaterial(const aiMaterial& material) {
  aiString name;
  if (material.Get(AI_MATKEY_NAME, name) != AI_SUCCESS) return true;
  const std::string_view text = name.C_Str();
  return text.empty() || text == AI_DEFAULT_MATERIAL_NAME || text == "%%%DEFAULT";
}

// Texture transforms (offset, tiling, rotation) other than the identity;
// the game's materials have none.
std::size_t TextureTransformCount(const aiMaterial& material) {
  std::size_t count = 0;
  for (unsigned i = 0; i < material.mNumProperties; ++i) {
    const aiMaterialProperty* property = material.mProperties[i];
    if (property == nullptr ||
        std::string_view(property->mKey.C_Str()) != _AI_MATKEY_UVTRANSFORM_BASE ||
        property->mDataLength < sizeof(aiUVTransform)) {
      continue;
    }
    aiUVTransform transform;
    std::memcpy(&transform, property->mData, sizeof transform);
    const aiUVTransform identity;
    if (transform.mTranslation != identity.mTranslation ||
        transform.mScaling != identity.mScaling || transform.mRotation != identity.mRotation) {
      ++count;
    }
  }
  return count;
}

std::string MaterialName(const aiMaterial& material) {
  aiString name;
  material.Get(AI_MATKEY_NAME, name);
  return name.C_Str();
}

// Position, texture coordinates and the file's normal by value, so that the
// corners of a hard edge stay apart and the computed normals keep it hard;
// +0.0f is added so that -0 and 0 join, as they are the same value.
using VertexKey = std::array<std::uint32_t, 8>;

struct VertexKeyHash {
  std::size_t operator()(const VertexKey& key) const {
    std::size_t hash = 0;
    for (std::uint32_t word : key) hash = hash * 1000003u ^ word;
    return hash;
  }
};

VertexKey KeyOf(const msVertex& vertex, const aiVector3D& normal) {
  return {std::bit_cast<std::uint32_t>(vertex.position[0] + 0.0f),
          std::bit_cast<std::uint32_t>(vertex.position[1] + 0.0f),
          std::bit_cast<std::uint32_t>(vertex.position[2] + 0.0f),
          std::bit_cast<std::uint32_t>(vertex.texCoords[0] + 0.0f),
          std::bit_cast<std::uint32_t>(vertex.texCoords[1] + 0.0f),
          std::bit_cast<std::uint32_t>(normal.x + 0.0f),
          std::bit_cast<std::uint32_t>(normal.y + 0.0f),
          std::bit_cast<std::uint32_t>(normal.z + 0.0f)};
}

// A transform that mirrors turns a triangle's winding over.
bool Mirrors(const Matrix& m) {
  const double determinant = m[0] * (m[5] * m[10] - m[6] * m[9]) -
                             m[1] * (m[4] * m[10] - m[6] * m[8]) +
                             m[2] * (m[4] * m[9] - m[5] * m[8]);
  return determinant < 0;
}

// The corners of the triangle that stands for an empty hardpoint node, around
// its origin; they add up to zero, so their mean is the node's position.
constexpr std::array<std::array<float, 3>, 3> kHardpointCorners = {
    {{-6.0f, 0.0f, -4.0f}, {0.0f, 0.0f, 8.0f}, {6.0f, 0.0f, -4.0f}}};

// The FBX reader splits a node's pivot into helper nodes named after it
// ("Hp_Fixed_HpGun01_$AssimpFbx$_Translation"); only the node itself counts.
bool IsReaderHelperNode(const std::string& name) {
  return name.find("_$AssimpFbx$_") != std::string::npos;
}

bool IsFinite(const msVertex& vertex) {
  return std::isfinite(vertex.position[0]) && std::isfinite(vertex.position[1]) &&
         std::isfinite(vertex.position[2]) && std::isfinite(vertex.texCoords[0]) &&
         std::isfinite(vertex.texCoords[1]);
}

class SceneConverter {
 public:
  SceneConverter(const aiScene& scene, const std::string& path) : scene_(scene), path_(path) {}

  // The model, or nothing with error() set.
  HostModelPtr Convert() {
    model_ = MakeHostModel();
    MapMaterials();
    FindNodesHoldingMeshes();
    VisitNodes();
    if (!error_.empty()) return nullptr;
    if (model_->meshes.empty()) {
      error_ = FileMessage(path_, msg::kEmptyScene);
      return nullptr;
    }
    NameUnnamedMeshes();
    for (const msMesh& mesh : model_->meshes) {
      if (mesh.materialIndex < 0 && !StartsWithHp(mesh.name)) {
        losses_.Add(ImportLosses::NoMaterial, mesh.name, 1);
      }
    }
    return std::move(model_);
  }

  const std::string& error() const { return error_; }
  const ImportLosses& losses() const { return losses_; }

 private:
  void MapMaterials() {
    materialIndex_.assign(scene_.mNumMaterials, -1);
    for (unsigned i = 0; i < scene_.mNumMaterials; ++i) {
      const aiMaterial* material = scene_.mMaterials[i];
      if (material == nullptr || IsPlaceholderMaterial(*material)) continue;
      losses_.Add(ImportLosses::TextureTransforms, MaterialName(*material),
                  TextureTransformCount(*material));
      materialIndex_[i] = static_cast<int>(model_->materials.size());
      model_->materials.push_back({MaterialName(*material)});
      ReadMaterialLook(scene_, *material, model_->materials.back());
    }
  }

  // The nodes with a mesh at or below them, in one pass over the hierarchy:
  // an empty node named like a hardpoint whose child holds the mount's mesh
  // (as the 3DS reader nests every object) is no mount of its own.
  void FindNodesHoldingMeshes() {
    constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);
    struct Placed {
      const aiNode* node;
      std::size_t parent;  // place in `order`
    };
    // Breadth first, so every parent comes before its children.
    std::vector<Placed> order = {{scene_.mRootNode, kNoParent}};
    for (std::size_t i = 0; i < order.size(); ++i) {
      const aiNode& node = *order[i].node;
      for (unsigned c = 0; c < node.mNumChildren; ++c) {
        if (node.mChildren[c] != nullptr) order.push_back({node.mChildren[c], i});
      }
    }
    std::vector<bool> holds(order.size(), false);
    for (std::size_t i = order.size(); i-- > 0;) {
      if (order[i].node->mNumMeshes > 0) holds[i] = true;
      if (!holds[i]) continue;
      holdingMeshes_.insert(order[i].node);
      if (order[i].parent != kNoParent) holds[order[i].parent] = true;
    }
  }

  // Depth first, children in file order, with an explicit stack: files
  // nest nodes tens of thousands deep.
  void VisitNodes() {
    struct Pending {
      const aiNode* node;
      Matrix parentToWorld;
    };
    std::vector<Pending> pending = {{scene_.mRootNode, kIdentity}};
    while (!pending.empty() && error_.empty()) {
      const Pending next = pending.back();
      pending.pop_back();
      const aiNode& node = *next.node;
      const Matrix toWorld = Multiply(next.parentToWorld, ToMatrix(node.mTransformation));
      VisitNode(node, toWorld, next.node == scene_.mRootNode);
      for (unsigned i = node.mNumChildren; i-- > 0;) {
        if (node.mChildren[i] != nullptr) pending.push_back({node.mChildren[i], toWorld});
      }
    }
  }

  // The root node stands for the file (the OBJ reader names it after the
  // file), so it never becomes a hardpoint.
  void VisitNode(const aiNode& node, const Matrix& toWorld, bool root) {
    const std::string nodeName = node.mName.C_Str();
    const bool missingName = IsMissingName(nodeName);
    const bool hardpoint = !missingName && StartsWithHp(nodeName);
    if (hardpoint && !root && !holdingMeshes_.contains(&node) && !IsReaderHelperNode(nodeName)) {
      AddHardpointMesh(nodeName, toWorld);
      return;
    }
    const bool mirrored = Mirrors(toWorld);

    const std::size_t firstMesh = model_->meshes.size();
    for (unsigned i = 0; i < node.mNumMeshes && error_.empty(); ++i) {
      if (node.mMeshes[i] >= scene_.mNumMeshes || scene_.mMeshes[node.mMeshes[i]] == nullptr)
        continue;
      const aiMesh& source = *scene_.mMeshes[node.mMeshes[i]];
      std::optional<msMesh> mesh = ConvertMesh(source, toWorld, mirrored, hardpoint,
                                               missingName ? source.mName.C_Str() : nodeName);
      if (mesh) model_->meshes.push_back(std::move(*mesh));
    }
    // Names are given once the node's kept meshes are known: a node whose
    // lines were dropped and that keeps one triangle mesh gives it its name.
    const std::size_t kept = model_->meshes.size() - firstMesh;
    for (std::size_t i = 0; i < kept && !missingName; ++i) {
      model_->meshes[firstMesh + i].name =
          kept == 1 ? nodeName : nodeName + "_" + std::to_string(i + 1);
    }
  }

  // An empty node named like a hardpoint, placed where the mount is: a small
  // triangle around its position, as a modeller would draw the mount.
  void AddHardpointMesh(const std::string& name, const Matrix& toWorld) {
    msMesh mesh;
    mesh.name = name;
    for (const std::array<float, 3>& corner : kHardpointCorners) {
      msVertex vertex;
      for (int axis = 0; axis < 3; ++axis) {
        vertex.position[axis] = static_cast<float>(toWorld[axis * 4 + 3] + corner[axis]);
      }
      mesh.vertices.push_back(vertex);
    }
    mesh.triangles.push_back({{0, 1, 2}});
    if (!IsFinite(mesh.vertices[0])) {
      error_ = FileMessage(path_, "mesh " + Quoted(name) + msg::kNotFinite);
      return;
    }
    model_->meshes.push_back(std::move(mesh));
  }

  // What the export leaves out of a mesh, told by name once it is read.
  void NoteLosses(const aiMesh& source, const std::string& displayName) {
    std::size_t extraTexCoords = 0;
    for (unsigned set = 1; set < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++set) {
      if (source.mTextureCoords[set] != nullptr) ++extraTexCoords;
    }
    std::size_t colourSets = 0;
    for (unsigned set = 0; set < AI_MAX_NUMBER_OF_COLOR_SETS; ++set) {
      if (source.mColors[set] != nullptr) ++colourSets;
    }
    std::size_t linesAndPoints = 0;
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
      if (source.mFaces[f].mNumIndices < 3) ++linesAndPoints;
    }
    const std::string name = displayName.empty() ? "(unnamed)" : displayName;
    losses_.Add(ImportLosses::LinesAndPoints, name, linesAndPoints);
    losses_.Add(ImportLosses::ExtraTextureCoordinates, name, extraTexCoords);
    losses_.Add(ImportLosses::VertexColours, name, colourSets);
    losses_.Add(ImportLosses::Skins, name, source.mNumBones);
    losses_.Add(ImportLosses::MorphTargets, name, source.mNumAnimMeshes);
  }

  // Unnamed meshes are numbered by their place in the model, from 1.
  void NameUnnamedMeshes() {
    for (std::size_t i = 0; i < model_->meshes.size(); ++i) {
      if (model_->meshes[i].name.empty()) model_->meshes[i].name = "mesh_" + std::to_string(i + 1);
    }
  }

  // The mesh's triangles in world space; nothing when it has none (points and
  // lines only). Sets error_, naming the mesh by displayName, when it cannot be held.
  std::optional<msMesh> ConvertMesh(const aiMesh& source, const Matrix& toWorld, bool mirrored,
                                    bool hardpoint, const std::string& displayName) {
    // A hardpoint mesh stands only for its position; nothing else of it counts.
    if (!hardpoint) NoteLosses(source, displayName);
    msMesh mesh;
    mesh.materialIndex =
        source.mMaterialIndex < materialIndex_.size() ? materialIndex_[source.mMaterialIndex] : -1;
    const aiVector3D* texCoords = source.mTextureCoords[0];
    const aiVector3D* normals = source.mNormals;

    // Source index -> our index, filled on first use, so vertices come out in
    // the order the triangles first name them.
    std::vector<std::int64_t> remap(source.mNumVertices, -1);
    std::unordered_map<VertexKey, std::uint32_t, VertexKeyHash> joined;
    bool nonFinite = false;

    auto indexOf = [&](unsigned sourceIndex) -> std::uint32_t {
      if (remap[sourceIndex] >= 0) return static_cast<std::uint32_t>(remap[sourceIndex]);
      msVertex vertex;
      const std::array<float, 3> position = Transform(toWorld, source.mVertices[sourceIndex]);
      std::copy(position.begin(), position.end(), vertex.position);
      if (texCoords != nullptr) {
        vertex.texCoords[0] = texCoords[sourceIndex].x;
        vertex.texCoords[1] = texCoords[sourceIndex].y;
      }
      auto index = static_cast<std::uint32_t>(mesh.vertices.size());
      if (!hardpoint) {
        const aiVector3D normal = normals != nullptr ? normals[sourceIndex] : aiVector3D();
        auto [found, inserted] = joined.try_emplace(KeyOf(vertex, normal), index);
        if (!inserted) index = found->second;
      }
      if (index == mesh.vertices.size()) {
        if (!IsFinite(vertex)) nonFinite = true;
        mesh.vertices.push_back(vertex);
      }
      remap[sourceIndex] = index;
      return index;
    };

    for (unsigned f = 0; f < source.mNumFaces; ++f) {
      const aiFace& face = source.mFaces[f];
      if (face.mNumIndices != 3 || face.mIndices == nullptr) continue;
      if (face.mIndices[0] >= source.mNumVertices || face.mIndices[1] >= source.mNumVertices ||
          face.mIndices[2] >= source.mNumVertices) {
        continue;
      }
      // Under a mirroring transform the corners are taken the other way
      // round, so that the faces point out of the mirrored solid.
      static constexpr int kCorners[2][3] = {{0, 1, 2}, {0, 2, 1}};
      msTriangle triangle;
      for (int corner = 0; corner < 3; ++corner) {
        triangle.indices[corner] = indexOf(face.mIndices[kCorners[mirrored][corner]]);
      }
      mesh.triangles.push_back(triangle);
    }
    if (mesh.triangles.empty()) return std::nullopt;

    if (nonFinite) {
      error_ = FileMessage(path_, "mesh " + Quoted(displayName) + msg::kNotFinite);
      return std::nullopt;
    }
    return mesh;
  }

  const aiScene& scene_;
  const std::string& path_;
  HostModelPtr model_;
  std::vector<int> materialIndex_;
  std::unordered_set<const aiNode*> holdingMeshes_;
  ImportLosses losses_;
  std::string error_;
};

// Only the readers of the supported formats stay, so that no other reader
// ever sees a file, whatever its extension or content.
void KeepOnlySupportedReaders(Assimp::Importer& importer) {
  constexpr std::array<std::string_view, 6> kExtensions = {"obj", "gltf", "glb",
                                                           "fbx", "dae",  "3ds"};
  for (std::size_t i = importer.GetImporterCount(); i-- > 0;) {
    const aiImporterDesc* description = importer.GetImporterInfo(i);
    const std::string_view extensions =
        description != nullptr && description->mFileExtensions != nullptr
            ? description->mFileExtensions
            : "";
    bool supported = false;
    for (std::string_view extension : kExtensions) {
      const std::size_t at = extensions.find(extension);
      supported =
          supported || (at != std::string_view::npos && (at == 0 || extensions[at - 1] == ' ') &&
                        (at + extension.size() == extensions.size() ||
                         extensions[at + extension.size()] == ' '));
    }
    if (supported) continue;
    // The importer gives up ownership of a reader it unregisters.
    std::unique_ptr<Assimp::BaseImporter> reader(importer.GetImporter(i));
    if (importer.UnregisterLoader(reader.get()) != AI_SUCCESS) static_cast<void>(reader.release());
  }
}

// The reader's own words, printable and without the parts that mean nothing
// to a modder; empty when they add nothing to "damaged".
std::string ReaderDetail(const std::string& readerMessage) {
  if (readerMessage.find("No suitable reader") != std::string::npos) return "";
  std::string detail;
  for (const char c : readerMessage) {
    if (c >= ' ' && c <= '~') detail += c;
  }
  while (!detail.empty() && detail.back() == ' ') detail.pop_back();
  return detail;
}

}  // namespace

ModelLoadResult LoadAssimpModel(const std::string& path, ModelFormat format) {
  try {
    Assimp::Importer importer;
    KeepOnlySupportedReaders(importer);
    const aiScene* scene = importer.ReadFile(path, kPostProcessing);
    if (scene == nullptr) {
      const std::string readerMessage = importer.GetErrorString();
      // The reader caught it; the program still has to say it ran out.
      if (readerMessage == std::bad_alloc().what()) throw std::bad_alloc();
      const std::string detail = ReaderDetail(readerMessage);
      return {nullptr,
              FileMessage(path, msg::kDamaged + std::string(ModelFormatName(format)) +
                                    (detail.empty() ? "" : " (" + detail + ")")),
              {}};
    }
    if ((scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 || scene->mRootNode == nullptr) {
      return {nullptr, FileMessage(path, msg::kEmptyScene), {}};
    }
    SceneConverter converter(*scene, path);
    HostModelPtr model = converter.Convert();
    if (model == nullptr) return {nullptr, converter.error(), {}};
    ModelLoadResult result{std::move(model), "", {}};
    for (const std::string& sentence : converter.losses().Sentences()) {
      result.warnings.push_back(FileMessage(path, sentence));
    }
    return result;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    return {nullptr, FileMessage(path, msg::kUnexpectedFailure + std::string(e.what())), {}};
  } catch (...) {
    return {nullptr, FileMessage(path, msg::kUnexpectedFailure + std::string("unknown error")), {}};
  }
}

}  // namespace svcmp
