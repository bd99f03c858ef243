#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/cli/cmptool_runner.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

// The test's own copy of stb's decoder, to look at the pictures.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace svcmp {
namespace {

namespace fs = std::filesystem;

const std::string kExports = SVCMP_TEST_DATA "/export/";

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  // Faces seen from behind are drawn in red; shading keeps the hue.
  int WarningPixels() const {
    int count = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
      count += rgb[i] > 2 * rgb[i + 1] && rgb[i] > 2 * rgb[i + 2] ? 1 : 0;
    }
    return count;
  }
};

Picture Load(const fs::path& path) {
  Picture picture;
  int channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3), stbi_image_free);
  if (pixels) {
    picture.rgb.assign(pixels.get(), pixels.get() + picture.width * picture.height * 3);
  }
  return picture;
}

class PreviewCommand : public testing::CmptoolTest {
 protected:
  testing::CmptoolRun Preview(const std::string& arguments) const {
    return Run("preview " + arguments);
  }
};

TEST_F(PreviewCommand, DrawsOurExportsAtTheAskedSize) {
  struct Case {
    std::string arguments;
    int width;
    int height;
  };
  const Case cases[] = {
      {"'" + kExports + "single_lod0.cmp' -o a.png", 1200, 400},
      {"'" + kExports + "parts_buildup.cmp' -o b.png --level 2 --size 300x100", 300, 100},
      {"'" + kExports + "parts_lod2.cmp' -o c.png --level 2 --size 16x4096", 16, 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Preview(c.arguments);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    const Picture picture = Load(folder_ / c.arguments.substr(c.arguments.find("-o ") + 3, 5));
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
  }
}

TEST_F(PreviewCommand, RefusesWithAMessageAndWritesNothing) {
  WriteRefusalInputs("kept.png");
  const std::string ship = "'" + kExports + "single_lod0.cmp'";
  const testing::Refusal cases[] = {
      {ship + " -o out.png --size 1200", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o out.png --size 15x400", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o out.png --size 4097x400", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o out.png --size 12x40x", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o kept.png", "error: kept.png already exists; add --force to replace it"},
      {"text.cmp -o out.png", "error: text.cmp: "},
      {"'" + kExports + "parts_lod2.cmp' -o out.png", "has nothing to draw at level 0"},
  };
  for (const testing::Refusal& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Preview(c.arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "out.png"));
  }
  EXPECT_EQ(FileText("kept.png"), "mine");
}

TEST_F(PreviewCommand, DrawsWhatIsThereAndNamesTheMissingLibrary) {
  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile(kExports + "single_lod0.cmp", tree, nullptr).ok());
  tree.RemoveSubtree(tree.FindNode(tree.Root(), "VMeshLibrary"));
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "no_library.cmp").written);

  const auto run = Preview("no_library.cmp -o out.png");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "warning: no_library.cmp: /hull.3db/MultiLevel/Level0/VMeshPart/VMeshRef names the "
            "mesh library 0xE21E305F, which is not in this file; its meshes are left out\n");
  EXPECT_EQ(Load(folder_ / "out.png").width, 1200);  // the hardpoints
}

// A box whose faces all point out, or all in: the inside-out one shows in
// the warning colour, the other not at all.
std::string BoxDocument(bool insideOut) {
  std::string vertices;
  for (int corner = 0; corner < 8; ++corner) {
    const auto at = [&](int bit) { return std::to_string((corner >> bit & 1) ? 200 : -200); };
    vertices += std::string(corner ? "," : "") + "[" + at(2) + "," + at(1) + "," + at(0) + ",0,0]";
  }
  // Each face as two triangles, counter-clockwise seen from outside.
  const int faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                           {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  std::string triangles;
  for (const auto& f : faces) {
    for (const std::array<int, 3>& t :
         {std::array{f[0], f[1], f[2]}, std::array{f[0], f[2], f[3]}}) {
      const int second = insideOut ? t[2] : t[1];
      const int third = insideOut ? t[1] : t[2];
      triangles += std::string(triangles.empty() ? "" : ",") + "[" + std::to_string(t[0]) + "," +
                   std::to_string(second) + "," + std::to_string(third) + "]";
    }
  }
  return R"({"materials": ["metal"], "meshes": [{"name": "box", "material": 0, "vertices": [)" +
         vertices + R"(], "triangles": [)" + triangles + "]}]}";
}

TEST_F(PreviewCommand, InsideOutMeshShowsInTheWarningColour) {
  for (bool insideOut : {false, true}) {
    SCOPED_TRACE(insideOut);
    std::ofstream(folder_ / "box.json") << BoxDocument(insideOut);
    ASSERT_EQ(Run("export box.json -o box.cmp -q --force").exitStatus, 0);
    ASSERT_EQ(Preview("box.cmp -o box.png --force").exitStatus, 0);
    const Picture picture = Load(folder_ / "box.png");
    if (insideOut) {
      EXPECT_GT(picture.WarningPixels(), 1200 * 400 / 10);
    } else {
      EXPECT_EQ(picture.WarningPixels(), 0);
    }
  }
}

}  // namespace
}  // namespace svcmp
