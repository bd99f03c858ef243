#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/ms_model_lib.h"

// The stand-in host's own model structure behind the msModelLib handles.

struct msMaterial {
  std::string name;
  // The look, for a material library; each part is optional, and a material
  // without any is written and exported exactly as one that has only a name.
  std::optional<std::array<float, 3>> diffuse = {};  // red, green, blue from 0 to 1
  std::optional<float> opacity = {};                 // 1 opaque, 0 clear
  std::string diffuseTexture = {};  // image path as the model file names it; empty: none
  // The image file's bytes (PNG, JPG ...) when the model file carries the
  // image inside; diffuseTexture then only names it.
  std::vector<std::uint8_t> embeddedTexture = {};
  std::optional<std::array<float, 3>> emissive = {};  // red, green, blue from 0 to 1
  std::string emissiveTexture = {};  // image path as the model file names it; empty: none
  bool blend = false;                // drawn see-through
  bool doubleSided = false;
  // The game's material a converted model carries in the material's extras,
  // as JSON text; empty: none.
  std::string gameMaterial = {};

  bool HasLook() const {
    return diffuse || opacity || !diffuseTexture.empty() || !embeddedTexture.empty() || emissive ||
           !emissiveTexture.empty() || blend || doubleSided || !gameMaterial.empty();
  }
};

struct msVertex {
  float position[3] = {0, 0, 0};
  float texCoords[2] = {0, 0};
};

// Held in 32 bits: cmptool reads meshes too large for 16-bit indices, which its
// simplifier makes fit; the stand-in host's documents never name a vertex past 65535.
struct msTriangle {
  std::uint32_t indices[3] = {0, 0, 0};
};

struct msMesh {
  std::string name;
  int materialIndex = -1;  // -1, or an index with no material: the mesh has none
  std::vector<msVertex> vertices;
  std::vector<msTriangle> triangles;
};

// A custom property of a node as the model file gives it: text, a number, a
// truth value or a list of numbers.
using msNodePropertyValue = std::variant<std::string, double, bool, std::vector<double>>;

struct msNodeProperty {
  std::string name;
  msNodePropertyValue value;
};

// A node of the model file's tree. The meshes keep their vertices in the
// model's frame; the node's transform only says where its own frame lies
// within its parent's, for exports that form parts from the tree.
struct msNode {
  std::string name;
  int parent = -1;  // an earlier node's index, -1 at the top of the tree
  std::array<float, 3> translation = {0, 0, 0};
  std::array<float, 4> rotation = {0, 0, 0, 1};  // quaternion x, y, z, w
  std::array<float, 3> scale = {1, 1, 1};
  std::vector<int> meshes = {};  // indices into msModel::meshes, each held by one node at most
  std::vector<msNodeProperty> properties = {};  // in the order the file gives them
};

// What an animation channel keys: the node's translation, rotation
// (quaternion x, y, z, w) or scale, as in the node's own transform.
enum class msAnimationPath { Translation, Rotation, Scale };
enum class msInterpolation { Linear, Step, CubicSpline };

// One keyed property of one node over time. Values hold 3 floats per key (4
// for a rotation); a cubic spline holds in-tangent, value and out-tangent
// per key, so three times as many.
struct msAnimationChannel {
  int node = -1;  // index into msModel::nodes
  msAnimationPath path = msAnimationPath::Translation;
  msInterpolation interpolation = msInterpolation::Linear;
  std::vector<float> times;  // seconds, rising
  std::vector<float> values;
};

// A named animation of the node tree (a glTF animation, a Blender action).
struct msAnimation {
  std::string name;
  std::vector<msAnimationChannel> channels;
};

struct msModel {
  std::vector<msMaterial> materials;
  std::vector<msMesh> meshes;
  std::vector<msNode> nodes;                 // empty: the model has no tree
  std::vector<msAnimation> animations = {};  // of the tree's nodes
};

namespace svcmp {

// The plug-in reads a mesh's or material's name into a buffer of 200 bytes,
// so it gets the name's first 199 bytes.
inline constexpr std::size_t kLongestHostName = 199;

// Owns a model until the plug-in destroys it with msModel_Destroy (which it
// does on some of its exits and not on others); releases it otherwise.
struct HostModelDeleter {
  void operator()(msModel* model) const;
};
using HostModelPtr = std::unique_ptr<msModel, HostModelDeleter>;

// A new model on the heap, to be filled by a loader.
HostModelPtr MakeHostModel();

// Frees a model made by MakeHostModel if it is still alive; false (and nothing
// freed) for null, an already freed model or one this host never made.
bool ReleaseHostModel(msModel* model);

}  // namespace svcmp
