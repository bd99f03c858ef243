#include "import/assimp_writer.h"

#include <assimp/anim.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <assimp/Exporter.hpp>
#include <memory>
#include <utility>

#include "import/gltf_node_extras.h"

namespace svcmp {
namespace {

// The scene owns what it points to and frees it with delete[] and delete,
// so everything below is made with new and handed over at once.
template <typename T>
T** NewArray(std::size_t count) {
  T** items = new T*[count];
  std::fill(items, items + count, nullptr);
  return items;
}

aiMesh* MakeMesh(const SceneMesh& source) {
  auto mesh = std::make_unique<aiMesh>();
  mesh->mName = source.name;
  mesh->mMaterialIndex = source.material;
  mesh->mPrimitiveTypes = source.lines ? aiPrimitiveType_LINE : aiPrimitiveType_TRIANGLE;
  const auto vertexCount = static_cast<unsigned>(source.positions.size());
  mesh->mNumVertices = vertexCount;
  mesh->mVertices = new aiVector3D[vertexCount];
  mesh->mNormals = new aiVector3D[vertexCount];
  mesh->mTextureCoords[0] = new aiVector3D[vertexCount];
  mesh->mNumUVComponents[0] = 2;
  for (unsigned i = 0; i < vertexCount; ++i) {
    const auto& p = source.positions[i];
    const auto& n = source.normals[i];
    const auto& t = source.texture[i];
    mesh->mVertices[i] = {p[0], p[1], p[2]};
    mesh->mNormals[i] = {n[0], n[1], n[2]};
    // The scene's texture points run down from the top, as the model file's;
    // assimp's scenes run up from the bottom (the exporters turn them back
    // where the format runs down, and the reader's FlipUVs undoes it again).
    mesh->mTextureCoords[0][i] = {t[0], 1 - t[1], 0};
  }
  const unsigned corners = source.lines ? 2 : 3;
  const auto faceCount = static_cast<unsigned>(source.indices.size() / corners);
  mesh->mNumFaces = faceCount;
  mesh->mFaces = new aiFace[faceCount];
  for (unsigned f = 0; f < faceCount; ++f) {
    aiFace& face = mesh->mFaces[f];
    face.mNumIndices = corners;
    face.mIndices = new unsigned[corners];
    std::copy_n(source.indices.begin() + static_cast<std::ptrdiff_t>(corners * f), corners,
                face.mIndices);
  }
  return mesh.release();
}

aiMatrix4x4 NodeMatrix(const SceneNode& node) {
  const auto& r = node.rotation;
  const auto& t = node.translation;
  return {r[0], r[1], r[2], t[0], r[3], r[4], r[5], t[1], r[6], r[7], r[8], t[2], 0, 0, 0, 1};
}

// Hangs `children` under `parent`, which takes ownership.
void AdoptChildren(aiNode* parent, const std::vector<aiNode*>& children) {
  if (children.empty()) return;
  parent->mNumChildren = static_cast<unsigned>(children.size());
  parent->mChildren = NewArray<aiNode>(children.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    parent->mChildren[i] = children[i];
    children[i]->mParent = parent;
  }
}

// One animation, a channel per node it keys; times in seconds at one tick a
// second, which the exporters divide by.
aiAnimation* MakeAnimation(const SceneDocument& scene, const msAnimation& source) {
  auto animation = std::make_unique<aiAnimation>();
  animation->mName = source.name;
  animation->mTicksPerSecond = 1;
  std::vector<int> nodes;
  for (const msAnimationChannel& channel : source.channels) {
    if (std::find(nodes.begin(), nodes.end(), channel.node) == nodes.end()) {
      nodes.push_back(channel.node);
    }
  }
  animation->mNumChannels = static_cast<unsigned>(nodes.size());
  animation->mChannels = NewArray<aiNodeAnim>(nodes.size());
  double duration = 0;
  for (std::size_t n = 0; n < nodes.size(); ++n) {
    auto* made = new aiNodeAnim();
    animation->mChannels[n] = made;
    made->mNodeName = scene.nodes[static_cast<std::size_t>(nodes[n])].name;
    for (const msAnimationChannel& channel : source.channels) {
      if (channel.node != nodes[n]) continue;
      const auto count = static_cast<unsigned>(channel.times.size());
      duration = std::max(duration, double{channel.times.back()});
      const float* v = channel.values.data();
      if (channel.path == msAnimationPath::Rotation) {
        made->mNumRotationKeys = count;
        made->mRotationKeys = new aiQuatKey[count];
        for (unsigned k = 0; k < count; ++k) {
          // Stored x, y, z, w; assimp's quaternion takes w first.
          made->mRotationKeys[k] = {
              channel.times[k], aiQuaternion(v[4 * k + 3], v[4 * k], v[4 * k + 1], v[4 * k + 2])};
        }
      } else {
        made->mNumPositionKeys = count;
        made->mPositionKeys = new aiVectorKey[count];
        for (unsigned k = 0; k < count; ++k) {
          made->mPositionKeys[k] = {channel.times[k],
                                    aiVector3D(v[3 * k], v[3 * k + 1], v[3 * k + 2])};
        }
      }
    }
  }
  animation->mDuration = duration;
  return animation.release();
}

std::unique_ptr<aiScene> MakeScene(const SceneDocument& source) {
  auto scene = std::make_unique<aiScene>();
  scene->mNumMaterials = static_cast<unsigned>(source.materials.size());
  scene->mMaterials = NewArray<aiMaterial>(source.materials.size());
  for (std::size_t i = 0; i < source.materials.size(); ++i) {
    scene->mMaterials[i] = new aiMaterial();
    const aiString name(source.materials[i]);
    scene->mMaterials[i]->AddProperty(&name, AI_MATKEY_NAME);
  }
  scene->mNumMeshes = static_cast<unsigned>(source.meshes.size());
  scene->mMeshes = NewArray<aiMesh>(source.meshes.size());
  for (std::size_t i = 0; i < source.meshes.size(); ++i) {
    scene->mMeshes[i] = MakeMesh(source.meshes[i]);
  }

  scene->mRootNode = new aiNode(source.name);
  std::vector<aiNode*> nodes;
  // Children in document order under each parent; the document lists
  // parents first, so every node is made before its children.
  std::vector<std::vector<aiNode*>> children(source.nodes.size() + 1);
  for (const SceneNode& node : source.nodes) {
    auto* made = new aiNode(node.name);
    made->mTransformation = NodeMatrix(node);
    made->mNumMeshes = static_cast<unsigned>(node.meshes.size());
    made->mMeshes = new unsigned[node.meshes.size()];
    std::copy(node.meshes.begin(), node.meshes.end(), made->mMeshes);
    children[static_cast<std::size_t>(node.parent + 1)].push_back(made);
    nodes.push_back(made);
  }
  AdoptChildren(scene->mRootNode, children[0]);
  for (std::size_t i = 0; i < nodes.size(); ++i) AdoptChildren(nodes[i], children[i + 1]);
  if (!source.animations.empty()) {
    scene->mNumAnimations = static_cast<unsigned>(source.animations.size());
    scene->mAnimations = NewArray<aiAnimation>(source.animations.size());
    for (std::size_t a = 0; a < source.animations.size(); ++a) {
      scene->mAnimations[a] = MakeAnimation(source, source.animations[a]);
    }
  }
  return scene;
}

}  // namespace

std::string WriteAssimpScene(const SceneDocument& scene, const std::string& format,
                             const std::string& path) {
  const std::unique_ptr<aiScene> made = MakeScene(scene);
  Assimp::Exporter exporter;
  if (exporter.Export(made.get(), format, path) != aiReturn_SUCCESS) {
    const std::string reason = exporter.GetErrorString();
    return "\"" + path + "\" cannot be written" + (reason.empty() ? "" : ": " + reason);
  }
  return AddGltfNodeExtras(scene, format, path);
}

}  // namespace svcmp
