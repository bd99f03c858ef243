#include "render/surface_looks.h"

#include <gtest/gtest.h>

#include "materials/dds_writer.h"

namespace svcmp::render {
namespace {

TEST(SurfaceLooks, ColoursAndTexturesEachDecodedOnceWithTheProblemsNamed) {
  SurfaceLibrary library;
  library.materials[1] = {"hull", std::array<float, 3>{1, 0.5f, 0}, "hull.dds"};
  library.materials[2] = {"hull2", std::nullopt, "HULL.dds"};
  library.materials[3] = {"decal", std::array<float, 3>{2, -1, 0}, "missing.dds"};
  library.materials[4] = {"broken", std::nullopt, "broken.dds"};
  library.textures["hull.dds"] = {TextureImageKind::Dds,
                                  WriteDds({2, 2, std::vector<std::uint8_t>(16, 255)})};
  library.textures["broken.dds"] = {TextureImageKind::Dds, {'D', 'D', 'S', ' '}};

  std::vector<std::string> problems;
  const auto looks = LooksOf(library, problems);
  ASSERT_EQ(looks.size(), 4u);
  EXPECT_EQ(looks.at(1).colour, (Rgb{255, 128, 0}));
  EXPECT_EQ(looks.at(2).colour, (Rgb{255, 255, 255}));  // no colour: white under the texture
  EXPECT_EQ(looks.at(3).colour, (Rgb{255, 0, 0}));      // out of range: clamped
  ASSERT_NE(looks.at(1).texture, nullptr);
  EXPECT_EQ(looks.at(1).texture, looks.at(2).texture);  // one texture, decoded once
  EXPECT_EQ(looks.at(3).texture, nullptr);
  EXPECT_EQ(looks.at(4).texture, nullptr);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0],
            "the texture missing.dds of the material decal is in no texture library given");
  EXPECT_EQ(problems[1].rfind("the texture broken.dds cannot be drawn: ", 0), 0u);
}

}  // namespace
}  // namespace svcmp::render
