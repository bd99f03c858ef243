#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/material_record.h"
#include "host/host_model.h"

// The scene that `cmptool convert` hands to svcmp-import to be written as a
// model file: nodes with transforms, meshes with normals, material names.
// It travels as JSON whose floats read back bit for bit.
namespace svcmp {

struct SceneMesh {
  std::string name;
  std::uint32_t material = 0;  // index into SceneDocument::materials
  std::vector<std::array<float, 3>> positions;
  std::vector<std::array<float, 3>> normals;  // one per position
  std::vector<std::array<float, 2>> texture;  // one per position
  std::vector<std::uint32_t> indices;         // three per triangle, each below the vertex count
  // Line segments instead of triangles: two indices each (a part's wire).
  bool lines = false;
};

// A custom property of a node, as model files carry them (glTF node extras):
// the same as the model document reads back.
using SceneProperty = msNodeProperty;

struct SceneNode {
  std::string name;
  int parent = -1;  // an earlier node; -1 hangs it on the scene's root
  // p' = rotation p + translation; the rotation row by row.
  std::array<float, 9> rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
  std::array<float, 3> translation{};
  std::vector<std::uint32_t> meshes;           // indices into SceneDocument::meshes
  std::vector<SceneProperty> properties = {};  // in the order they are written
};

// A material's look as glTF says it, and the game's material it was made
// of, which travels as the material's extras so that what glTF cannot say
// comes back.
struct SceneMaterialLook {
  std::array<float, 4> baseColour{1, 1, 1, 1};
  std::array<float, 3> emissive{0, 0, 0};
  std::string baseTexture;      // an image file beside the model file; empty: none
  std::string emissiveTexture;  // the same
  bool blend = false;
  bool doubleSided = false;
  std::optional<MaterialRecord> original;
};

struct SceneDocument {
  std::string name;  // of the scene's root
  std::vector<std::string> materials;
  std::vector<SceneMaterialLook> looks;  // none, or one per material (glTF files only)
  std::vector<SceneMesh> meshes;
  std::vector<SceneNode> nodes;
  // Linear translation and rotation keys of the nodes (indices into
  // `nodes`), times in seconds.
  std::vector<msAnimation> animations = {};
};

namespace scene_keys {
inline constexpr char kName[] = "name";
inline constexpr char kMaterials[] = "materials";
inline constexpr char kMeshes[] = "meshes";
inline constexpr char kNodes[] = "nodes";
inline constexpr char kMaterial[] = "material";
inline constexpr char kPositions[] = "positions";
inline constexpr char kNormals[] = "normals";
inline constexpr char kTexture[] = "texture";
inline constexpr char kIndices[] = "indices";
inline constexpr char kLines[] = "lines";
inline constexpr char kParent[] = "parent";
inline constexpr char kRotation[] = "rotation";
inline constexpr char kTranslation[] = "translation";
inline constexpr char kProperties[] = "properties";
inline constexpr char kAnimations[] = "animations";
inline constexpr char kChannels[] = "channels";
inline constexpr char kNode[] = "node";
inline constexpr char kPath[] = "path";
inline constexpr char kTimes[] = "times";
inline constexpr char kValues[] = "values";
inline constexpr char kLooks[] = "looks";
inline constexpr char kBaseColour[] = "baseColour";
inline constexpr char kEmissive[] = "emissive";
inline constexpr char kBaseTexture[] = "baseTexture";
inline constexpr char kEmissiveTexture[] = "emissiveTexture";
inline constexpr char kBlend[] = "blend";
inline constexpr char kDoubleSided[] = "doubleSided";
inline constexpr char kOriginal[] = "original";
}  // namespace scene_keys

// The document as JSON text; empty with a message when a number is not
// finite, which JSON cannot hold.
struct SceneDocumentText {
  std::string text;
  std::string error;
};
[[nodiscard]] SceneDocumentText WriteSceneDocument(const SceneDocument& scene);

// Reads the text back. Refuses, with the place that broke the rule, a
// document whose indices, parents or materials point outside it, or whose
// per-vertex lists differ in length; nothing throws.
struct SceneDocumentResult {
  std::optional<SceneDocument> scene;
  std::string error;
};
[[nodiscard]] SceneDocumentResult ParseSceneDocument(std::string_view text);

}  // namespace svcmp
