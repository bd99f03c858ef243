#pragma once

#include <assimp/material.h>
#include <assimp/scene.h>

#include "host/host_model.h"

namespace svcmp {

// Copies an assimp material's look into `material`: the diffuse colour, the
// opacity when below 1, and the first diffuse texture, either as the path the
// file gives (relative to the model file) or, for an image the file holds
// inside (glTF/GLB), as the image file's bytes under a name of its own.
// Colours outside 0 to 1 are clamped; a texture assimp holds only as raw
// texels is left out, as is any part assimp does not give.
void ReadMaterialLook(const aiScene& scene, const aiMaterial& source, msMaterial& material);

}  // namespace svcmp
