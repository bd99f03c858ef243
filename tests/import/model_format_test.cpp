#include "import/model_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace svcmp {
namespace {

struct FormatCase {
  std::string head;
  std::string extension;
  std::optional<ModelFormat> format;  // none: refused with `reason` in the message
  std::string reason;
};

const std::string kUnsupported =
    "not a supported model format (OBJ, glTF, GLB, FBX, COLLADA, 3DS, Blender)";

TEST(ModelFormat, RecognisedByContentWhereTheFormatHasASignature) {
  const FormatCase cases[] = {
      {"glTF\x02\0\0\0", ".bin", ModelFormat::Glb, ""},
      {"Kaydara FBX Binary  \0\x1a\0", ".fbx", ModelFormat::Fbx, ""},
      {"; FBX 7.4.0 project file\nFBXHeaderExtension:  {", ".txt", ModelFormat::Fbx, ""},
      {std::string("\x4D\x4D\x20\0\0\0\x02\0", 8), ".3ds", ModelFormat::ThreeDs, ""},
      {"\xEF\xBB\xBF  <?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.1\">", ".xml",
       ModelFormat::Collada, ""},
      {"{\"asset\": {\"version\": \"2.0\"}}", ".gltf", ModelFormat::Gltf, ""},
      {"{\"asset\": {\"version\": \"2.0\"}}", ".dae", ModelFormat::Gltf, ""},
      {"BLENDER-v304REND", ".bin", ModelFormat::Blend, ""},
      {"\x28\xB5\x2F\xFD\x04", ".Blend", ModelFormat::Blend, ""},
      {"\x1F\x8B\x08", ".blend", ModelFormat::Blend, ""},
      {"\x28\xB5\x2F\xFD\x04", ".bin", std::nullopt, kUnsupported},
      // OBJ has no signature: its extension and a first statement OBJ knows.
      {"# made by hand\n\nmtllib ship.mtl\nv 0 0 0\n", ".OBJ", ModelFormat::Obj, ""},
      {"\n# only a comment\n", ".obj", ModelFormat::Obj, ""},
      // An empty file is one whatever its name says.
      {"", ".obj", std::nullopt, "the file is empty"},
      {" \r\n\t", ".3ds", std::nullopt, "the file is empty"},
      {std::string("glTF\x01\0\0\0", 8), ".glb", std::nullopt,
       "glTF 1.0 is not supported: save it as glTF 2.0"},
      {std::string("glTF\x03\0\0\0", 8), ".glb", std::nullopt,
       "GLB version 3 is not supported: save it as glTF 2.0"},
      {"v 0 0 0\n", ".txt", std::nullopt, kUnsupported},
      {"ply\nformat ascii 1.0\n", ".obj", std::nullopt, kUnsupported},
      {"OFF\n3 1 0\n", ".obj", std::nullopt, kUnsupported},
      {"ply\nformat ascii 1.0\n", ".ply", std::nullopt, kUnsupported},
      {"<?xml version=\"1.0\"?><X3D>", ".dae", std::nullopt, kUnsupported},
      {std::string("v 0\0 0", 6), ".obj", std::nullopt, kUnsupported},
      {"\xFF\xFE{\0\"\0", ".gltf", std::nullopt, "(UTF-16); save it as UTF-8"},
      {std::string("{\0\"\0a\0", 6), ".gltf", std::nullopt, "(UTF-16); save it as UTF-8"},
      {std::string("\xFF\xFE\0\0{\0\0\0", 8), ".gltf", std::nullopt, "(UTF-32)"},
  };
  for (const FormatCase& c : cases) {
    const ModelFormatCheck check = RecognizeModelFormat(c.head, c.extension);
    EXPECT_EQ(check.format, c.format) << c.head;
    if (!c.format) {
      EXPECT_NE(check.error.find(c.reason), std::string::npos) << check.error;
    }
  }
}

TEST(ModelFormat, NamesTheFileItCannotOpen) {
  const ModelFormatCheck check = DetectModelFormat("/no/such/folder/ship.obj");
  EXPECT_FALSE(check.format);
  EXPECT_EQ(check.error.rfind("\"/no/such/folder/ship.obj\": cannot be opened: ", 0), 0u)
      << check.error;
}

}  // namespace
}  // namespace svcmp
