#include "import/assimp_loader.h"

#include <assimp/BaseImporter.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <array>
#include <assimp/Importer.hpp>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

#include "host/node_property_names.h"
#include "import/gltf_material_facts.h"
#include "import/gltf_primitive_sizes.h"
#include "import/import_losses.h"
#include "import/import_messages.h"
#include "import/material_look.h"
#include "import/reader_failure.h"

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
         std::isfinite(vertex.position[2]);
}

// Keys the readers add to a node's metadata of their own accord; the rest are
// the modder's custom properties.
bool IsReaderMetadata(std::string_view key) {
  return key == "UserProperties" || key == "IsNull" || key.starts_with("Collada_");
}

// A number of the metadata as a double; null for other kinds.
std::optional<double> MetadataNumber(const aiMetadataEntry& entry) {
  if (entry.mData == nullptr) return std::nullopt;
  switch (entry.mType) {
    case AI_INT32:
      return *static_cast<const std::int32_t*>(entry.mData);
    case AI_UINT64:
      return static_cast<double>(*static_cast<const std::uint64_t*>(entry.mData));
    case AI_FLOAT:
      return *static_cast<const float*>(entry.mData);
    case AI_DOUBLE:
      return *static_cast<const double*>(entry.mData);
    default:
      return std::nullopt;
  }
}

// A custom property as the document keeps it; null for what it cannot hold
// (objects, lists of text). The glTF reader gives a list as metadata whose
// entries all carry the list's own name.
std::optional<msNodePropertyValue> PropertyValueOf(const aiString& key,
                                                   const aiMetadataEntry& entry) {
  if (const std::optional<double> number = MetadataNumber(entry)) return *number;
  if (entry.mData == nullptr) return std::nullopt;
  switch (entry.mType) {
    case AI_BOOL:
      return *static_cast<const bool*>(entry.mData);
    case AI_AISTRING:
      return std::string(static_cast<const aiString*>(entry.mData)->C_Str());
    case AI_AIVECTOR3D: {
      const auto& v = *static_cast<const aiVector3D*>(entry.mData);
      return std::vector<double>{v.x, v.y, v.z};
    }
    case AI_AIMETADATA: {
      const auto& list = *static_cast<const aiMetadata*>(entry.mData);
      std::vector<double> numbers;
      for (unsigned i = 0; i < list.mNumProperties; ++i) {
        const std::optional<double> number = MetadataNumber(list.mValues[i]);
        if (!number || list.mKeys[i] != key) return std::nullopt;
        numbers.push_back(*number);
      }
      return numbers;
    }
    default:
      return std::nullopt;
  }
}

// "Hp", one separator, "Fixed" or "Revolute": the name already says its kind.
bool NamesHardpointKind(std::string_view name) {
  std::string lower(name.substr(0, 12));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.starts_with("hp") && lower.size() > 3 &&
         (lower.substr(3).starts_with("fixed") || lower.substr(3).starts_with("revolute"));
}

// The node's custom property `key` as the model file gives it; none when
// the node has no such property or it is of a kind the export cannot hold.
std::optional<msNodePropertyValue> NodeProperty(const aiNode& node, std::string_view key) {
  const aiMetadata* metadata = node.mMetaData;
  for (unsigned i = 0; metadata != nullptr && i < metadata->mNumProperties; ++i) {
    if (std::string_view(metadata->mKeys[i].C_Str()) == key) {
      return PropertyValueOf(metadata->mKeys[i], metadata->mValues[i]);
    }
  }
  return std::nullopt;
}

// The name by which an export without a node tree takes the node for a
// hardpoint of its kind ("Hp_Revolute_" or "Hp_Fixed_" before its own
// name), when the node says it is one (the "hardpoint" property `convert`
// writes) and its name does not say so already; else its own name.
std::string FlatHardpointName(const aiNode& node, const std::string& name) {
  const std::optional<msNodePropertyValue> flag = NodeProperty(node, node_property::kHardpoint);
  const bool* set = flag ? std::get_if<bool>(&*flag) : nullptr;
  const double* number = flag ? std::get_if<double>(&*flag) : nullptr;
  // Modelling tools without true and false write 1.
  if (!(set != nullptr && *set) && !(number != nullptr && *number == 1)) return name;
  if (NamesHardpointKind(name)) return name;
  const std::optional<msNodePropertyValue> type = NodeProperty(node, node_property::kHardpointType);
  const std::string* text = type ? std::get_if<std::string>(&*type) : nullptr;
  const bool revolute = text != nullptr && *text == node_property::kRev;
  return std::string(revolute ? "Hp_Revolute_" : "Hp_Fixed_") + name;
}

// The parts of a node's transform as the document keeps them.
void SetLocalTransform(msNode& node, const aiMatrix4x4& transform) {
  aiVector3D scale;
  aiQuaternion rotation;
  aiVector3D translation;
  transform.Decompose(scale, rotation, translation);
  node.translation = {translation.x, translation.y, translation.z};
  node.rotation = {rotation.x, rotation.y, rotation.z, rotation.w};
  node.scale = {scale.x, scale.y, scale.z};
}

class SceneConverter {
 public:
  // keepTree: the format has a node tree of its own (every one but OBJ, whose
  // groups are a flat list). filePrimitives: the triangle primitives as the
  // file writes them, where the reader may drop triangles (glTF); empty where
  // it does not.
  SceneConverter(const aiScene& scene, const std::string& path, bool keepTree,
                 std::vector<GltfPrimitiveSize> filePrimitives)
      : scene_(scene),
        path_(path),
        keepTree_(keepTree),
        filePrimitives_(std::move(filePrimitives)) {}

  // The model, or nothing with error() set.
  HostModelPtr Convert() {
    model_ = MakeHostModel();
    MapMaterials();
    FindNodesHoldingMeshes();
    VisitNodes();
    if (!error_.empty()) return nullptr;
    if (keepTree_) ReadAnimations();
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
  // The tree is kept in the same walk: every node after its parent. The
  // FBX reader's helper nodes are folded into the node they belong to.
  void VisitNodes() {
    struct Pending {
      const aiNode* node;
      Matrix parentToWorld;
      int parent;                 // the kept node above, -1 at the top
      aiMatrix4x4 toKeptParent;   // the helper nodes' transforms between them
    };
    std::vector<Pending> pending = {{scene_.mRootNode, kIdentity, -1, aiMatrix4x4()}};
    while (!pending.empty() && error_.empty()) {
      const Pending next = pending.back();
      pending.pop_back();
      const aiNode& node = *next.node;
      const Matrix toWorld = Multiply(next.parentToWorld, ToMatrix(node.mTransformation));
      const std::size_t firstMesh = model_->meshes.size();
      VisitNode(node, toWorld, next.node == scene_.mRootNode);
      const aiMatrix4x4 local = next.toKeptParent * node.mTransformation;
      int parent = next.parent;
      aiMatrix4x4 toParent = local;
      if (keepTree_ && !IsReaderHelperNode(node.mName.C_Str())) {
        parent = static_cast<int>(model_->nodes.size());
        toParent = aiMatrix4x4();
        KeepNode(node, next.parent, local, firstMesh);
      }
      for (unsigned i = node.mNumChildren; i-- > 0;) {
        if (node.mChildren[i] != nullptr) {
          pending.push_back({node.mChildren[i], toWorld, parent, toParent});
        }
      }
    }
  }

  // The node in the model's tree, holding the meshes made from it since firstMesh.
  void KeepNode(const aiNode& source, int parent, const aiMatrix4x4& local,
                std::size_t firstMesh) {
    keptNodes_.try_emplace(source.mName.C_Str(), static_cast<int>(model_->nodes.size()));
    msNode& node = model_->nodes.emplace_back();
    node.name = source.mName.C_Str();
    if (node.name.empty()) node.name = "node_" + std::to_string(model_->nodes.size());
    node.parent = parent;
    SetLocalTransform(node, local);
    for (std::size_t mesh = firstMesh; mesh < model_->meshes.size(); ++mesh) {
      node.meshes.push_back(static_cast<int>(mesh));
    }
    const aiMetadata* metadata = source.mMetaData;
    for (unsigned i = 0; metadata != nullptr && i < metadata->mNumProperties; ++i) {
      const std::string key = metadata->mKeys[i].C_Str();
      if (IsReaderMetadata(key)) continue;
      if (std::optional<msNodePropertyValue> value =
              PropertyValueOf(metadata->mKeys[i], metadata->mValues[i])) {
        node.properties.push_back({key, std::move(*value)});
      } else {
        losses_.Add(ImportLosses::NodeProperties, node.name, 1);
      }
    }
  }

  // The scene's animations on the kept nodes, times in seconds. The reader
  // gives every key as linear: a file's step keys arrive as ramps between
  // their times and its cubic keys as their values, without tangents.
  void ReadAnimations() {
    for (unsigned a = 0; a < scene_.mNumAnimations; ++a) {
      const aiAnimation* source = scene_.mAnimations[a];
      if (source == nullptr) continue;
      msAnimation animation;
      animation.name = source->mName.C_Str();
      // Files that give no rate count in seconds.
      const double perSecond = source->mTicksPerSecond > 0 ? source->mTicksPerSecond : 1.0;
      for (unsigned c = 0; c < source->mNumChannels; ++c) {
        const aiNodeAnim* channel = source->mChannels[c];
        if (channel == nullptr) continue;
        const auto node = keptNodes_.find(channel->mNodeName.C_Str());
        if (node == keptNodes_.end()) continue;
        const auto keys = [&](msAnimationPath path, unsigned count, const auto* list) {
          msAnimationChannel keyed{node->second, path, msInterpolation::Linear, {}, {}};
          for (unsigned k = 0; k < count; ++k) {
            const auto time = static_cast<float>(list[k].mTime / perSecond);
            // Readers repeat a key at one time; the first counts.
            if (!keyed.times.empty() && !(time > keyed.times.back())) continue;
            keyed.times.push_back(time);
            AppendKeyValue(keyed.values, list[k].mValue);
          }
          if (!keyed.times.empty()) animation.channels.push_back(std::move(keyed));
        };
        keys(msAnimationPath::Translation, channel->mNumPositionKeys, channel->mPositionKeys);
        keys(msAnimationPath::Rotation, channel->mNumRotationKeys, channel->mRotationKeys);
        keys(msAnimationPath::Scale, channel->mNumScalingKeys, channel->mScalingKeys);
      }
      if (!animation.channels.empty()) model_->animations.push_back(std::move(animation));
    }
  }

  static void AppendKeyValue(std::vector<float>& values, const aiVector3D& value) {
    values.insert(values.end(), {value.x, value.y, value.z});
  }
  static void AppendKeyValue(std::vector<float>& values, const aiQuaternion& value) {
    values.insert(values.end(), {value.x, value.y, value.z, value.w});
  }

  // The root node stands for the file (the OBJ reader names it after the
  // file), so it never becomes a hardpoint.
  void VisitNode(const aiNode& node, const Matrix& toWorld, bool root) {
    const std::string nodeName = node.mName.C_Str();
    const bool missingName = IsMissingName(nodeName);
    const bool hardpoint = !missingName && StartsWithHp(nodeName);
    // Without the tree, the property that marks an empty node as a
    // hardpoint travels in its mesh's name, the one thing the flat export reads.
    const std::string flatName = missingName ? nodeName : FlatHardpointName(node, nodeName);
    if ((hardpoint || flatName != nodeName) && !root && !holdingMeshes_.contains(&node) &&
        !IsReaderHelperNode(nodeName)) {
      AddHardpointMesh(flatName, toWorld);
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
    std::size_t nonFiniteTexture = 0;

    auto indexOf = [&](unsigned sourceIndex) -> std::uint32_t {
      if (remap[sourceIndex] >= 0) return static_cast<std::uint32_t>(remap[sourceIndex]);
      msVertex vertex;
      const std::array<float, 3> position = Transform(toWorld, source.mVertices[sourceIndex]);
      std::copy(position.begin(), position.end(), vertex.position);
      // A texture point that is no number (released models carry a few)
      // is told and drawn at 0; a position that is none refuses the mesh.
      if (texCoords != nullptr && std::isfinite(texCoords[sourceIndex].x) &&
          std::isfinite(texCoords[sourceIndex].y)) {
        vertex.texCoords[0] = texCoords[sourceIndex].x;
        vertex.texCoords[1] = texCoords[sourceIndex].y;
      } else if (texCoords != nullptr) {
        ++nonFiniteTexture;
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

    // Triangles the reader dropped before us, and those we drop.
    std::size_t dropped = DroppedTriangles(filePrimitives_, source.mNumVertices, source.mNumFaces);
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
      const aiFace& face = source.mFaces[f];
      if (face.mNumIndices != 3) continue;
      if (face.mIndices == nullptr || face.mIndices[0] >= source.mNumVertices ||
          face.mIndices[1] >= source.mNumVertices || face.mIndices[2] >= source.mNumVertices) {
        ++dropped;
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
    if (!hardpoint) {
      const std::string name = displayName.empty() ? "(unnamed)" : displayName;
      losses_.Add(ImportLosses::DroppedTriangles, name, dropped);
      losses_.Add(ImportLosses::NonFiniteTexture, name, nonFiniteTexture);
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
  const bool keepTree_;
  HostModelPtr model_;
  std::vector<int> materialIndex_;
  std::vector<GltfPrimitiveSize> filePrimitives_;
  std::unordered_set<const aiNode*> holdingMeshes_;
  std::map<std::string, int, std::less<>> keptNodes_;  // by name, the first of a name
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
      return {nullptr, FileMessage(path, ReaderFailureReason(format, readerMessage)), {}};
    }
    if ((scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 || scene->mRootNode == nullptr) {
      return {nullptr, FileMessage(path, msg::kEmptyScene), {}};
    }
    SceneConverter converter(*scene, path, format != ModelFormat::Obj,
                             GltfPrimitiveSizes(path, format));
    HostModelPtr model = converter.Convert();
    if (model == nullptr) return {nullptr, converter.error(), {}};
    AddGltfMaterialFacts(path, format, *model);
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
