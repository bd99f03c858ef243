#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace svcmp {

// What a model file holds that the export leaves out, gathered while it is
// read, and told as one warning per kind (dropped triangles: per mesh).
class ImportLosses {
 public:
  enum Kind {
    LinesAndPoints,           // counted in primitives, named by mesh
    ExtraTextureCoordinates,  // counted in sets, named by mesh
    VertexColours,            // counted in sets, named by mesh
    Skins,                    // counted in bones, named by mesh
    MorphTargets,             // counted in targets, named by mesh
    TextureTransforms,        // counted in transforms, named by material
    NoMaterial,               // counted in meshes, named by mesh
    NodeProperties,           // counted in properties, named by node
    NonFiniteTexture,         // counted in vertices, named by mesh
    DroppedTriangles,         // counted in triangles, told per mesh
    kKindCount
  };

  // Adds count losses of kind in the mesh or material called name; a count of
  // 0 adds nothing.
  void Add(Kind kind, const std::string& name, std::size_t count);

  // One sentence per kind that lost something, in the order of the kinds,
  // each naming its meshes or materials; dropped triangles get one sentence
  // per mesh with its count.
  [[nodiscard]] std::vector<std::string> Sentences() const;

 private:
  struct Loss {
    std::size_t count = 0;
    std::vector<std::string> names;   // in the order first met, each once
    std::vector<std::size_t> counts;  // of each name
  };
  std::array<Loss, kKindCount> losses_;
};

}  // namespace svcmp
