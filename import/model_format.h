#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace svcmp {

// The model-file formats the importer reads, and Blender's files, which
// cmptool has Blender export for it.
enum class ModelFormat { Obj, Gltf, Glb, Fbx, Collada, ThreeDs, Blend };

// The format's name as modders know it ("glTF", "COLLADA").
[[nodiscard]] const char* ModelFormatName(ModelFormat format);

// A recognised format, or none and the reason (without the file's name).
struct ModelFormatCheck {
  std::optional<ModelFormat> format;
  std::string error;
};

// Recognises a format from the first bytes of a file and its extension (any
// letter case, with the dot): by the signature where the format has one, and
// OBJ, which has none, by its extension and a first statement that OBJ
// knows. A Blender file saved compressed (gzip, or zstd since Blender 3) is
// known by its extension and the compressor's signature. Text in UTF-16 or
// UTF-32 is refused as an encoding the importer cannot read.
[[nodiscard]] ModelFormatCheck RecognizeModelFormat(std::string_view head,
                                                    std::string_view extension);

// The same for a file on disk; the message names the file.
[[nodiscard]] ModelFormatCheck DetectModelFormat(const std::string& path);

}  // namespace svcmp
