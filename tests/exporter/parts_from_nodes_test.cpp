#include "exporter/parts_from_nodes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace svcmp {
namespace {

constexpr float kHalfTurn = 0.70710677f;  // sin and cos of 45 degrees

msMesh Triangle(const std::string& name, float x) {
  msMesh mesh;
  mesh.name = name;
  mesh.vertices = {{{x, 0, 0}}, {{x + 1, 0, 0}}, {{x, 1, 0}}};
  mesh.triangles = {{{0, 1, 2}}};
  return mesh;
}

void ExpectNear(const std::array<float, 9>& actual, const std::array<float, 9>& expected) {
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-6f) << k;
}

void ExpectNear(const std::array<float, 3>& actual, const std::array<float, 3>& expected) {
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-5f) << k;
}

TEST(PartsFromNodes, JointsAndHardpointsLieInTheirPartsFrame) {
  // A turret a quarter turn about Z, away from the hull's origin; its gun's
  // hardpoint a quarter turn about Y within the turret. Written in the
  // turret's frame, the gun keeps only its own turn: the turret's would
  // make it point elsewhere.
  msModel model;
  model.meshes = {Triangle("hull", 0), Triangle("turret", 5)};
  model.nodes = {
      {"hull", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {0}},
      {"turret", 0, {1, 2, 3}, {0, 0, kHalfTurn, kHalfTurn}, {1, 1, 1}, {1},
       {{"construct", std::string("rev")}}},
      {"HpGun01", 1, {0, 4, 0}, {0, kHalfTurn, 0, kHalfTurn}, {1, 1, 1}, {}},
  };
  // The export's frame change turns Y and Z over (sign -1) and divides
  // lengths: rotations are met on both sides by diag(1, -1, -1).
  const struct {
    int divisor, sign;
    std::array<float, 3> jointOrigin, hardpointPosition;
    std::array<float, 9> jointRotation, hardpointOrientation;
  } cases[] = {
      {1, 1, {1, 2, 3}, {0, 4, 0}, {0, -1, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 1, 0, 1, 0, -1, 0, 0}},
      {2, -1, {0.5f, -1, -1.5f}, {0, -2, 0}, {0, 1, 0, -1, 0, 0, 0, 0, 1},
       {0, 0, -1, 0, 1, 0, 1, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sign);
    const PartsFromNodes formed = FormPartsFromNodes(model, c.divisor, c.sign);
    ASSERT_EQ(formed.error, "");
    ASSERT_EQ(formed.parts.size(), 2u);
    const NodePart& turret = formed.parts[1];
    EXPECT_EQ(turret.name, "turret");
    EXPECT_EQ(turret.joint.kind, PartJointKind::Rev);
    ExpectNear(turret.joint.origin, c.jointOrigin);
    ExpectNear(turret.joint.rotation, c.jointRotation);
    EXPECT_TRUE(formed.parts[0].hardpoints.empty());
    ASSERT_EQ(turret.hardpoints.size(), 1u);
    EXPECT_EQ(turret.hardpoints[0].name, "HpGun01");
    ExpectNear(turret.hardpoints[0].position, c.hardpointPosition);
    ExpectNear(turret.hardpoints[0].orientation, c.hardpointOrientation);
  }
}

using Vec3 = std::array<double, 3>;

std::array<float, 4> Turn(const Vec3& axis, double degrees) {
  const double half = degrees * std::numbers::pi / 360;
  const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const double s = std::sin(half) / length;
  return {static_cast<float>(axis[0] * s), static_cast<float>(axis[1] * s),
          static_cast<float>(axis[2] * s), static_cast<float>(std::cos(half))};
}

// A triangle, enough to make its node a part.
msMesh Triangle(const std::string& name) {
  msMesh mesh;
  mesh.name = name;
  for (int v = 0; v < 3; ++v) {
    msVertex& vertex = mesh.vertices.emplace_back();
    vertex.position[v] = 1;
  }
  mesh.triangles.push_back({{0, 1, 2}});
  return mesh;
}

// "ship" at the top, "wing" below it (a part), "HpGun01" on the wing.
msModel Ship(const std::array<float, 3>& wingScale, std::vector<msNodeProperty> wingProperties) {
  msModel model;
  model.meshes = {Triangle("ship"), Triangle("wing")};
  model.nodes.push_back({"ship", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {0}, {}});
  model.nodes.push_back(
      {"wing", 0, {4, 1, 2}, Turn({0, 0, 1}, 20), wingScale, {1}, std::move(wingProperties)});
  model.nodes.push_back({"HpGun01", 1, {2, 0.5f, 5}, Turn({1, 2, 0}, 30), {1, 1, 1}, {}, {}});
  return model;
}

std::vector<std::string> Warnings(const PartsFromNodes& parts) { return parts.warnings; }

TEST(PartsFromNodes, PropertiesCloseToAKnownOneAreNamedOnce) {
  struct Case {
    std::string property;
    std::string warning;  // empty: none
  };
  const Case cases[] = {
      {"contruct", R"(node "wing": property "contruct" is not read; did you mean "construct"?)"},
      {"Construct", R"(node "wing": property "Construct" is not read; did you mean "construct"?)"},
      {"constructs",
       R"(node "wing": property "constructs" is not read; did you mean "construct"?)"},
      {"axis_rotaton",
       R"(node "wing": property "axis_rotaton" is not read; did you mean "axis_rotation"?)"},
      {"export_ingore",
       R"(node "wing": property "export_ingore" is not read; did you mean "export_ignore"?)"},
      {"mxa", ""},  // two letters from "max", which is too short for that
      {"axes", R"(node "wing": property "axes" is not read; did you mean "axis"?)"},
      {"offset", ""},
      {"construction", ""},  // three letters more
      {"cycles", ""},        // Blender's own, nothing like ours
  };
  for (const Case& c : cases) {
    const PartsFromNodes parts =
        FormPartsFromNodes(Ship({1, 1, 1}, {{c.property, std::string("rev")}}), 1, 1);
    ASSERT_EQ(parts.error, "") << c.property;
    const std::vector<std::string> expected =
        c.warning.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.warning};
    EXPECT_EQ(Warnings(parts), expected) << c.property;
  }
}

Vec3 Times(const std::array<float, 9>& m, const Vec3& v) {
  return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
          m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

// The columns of the node's rotation and scale (the scale applied first).
std::array<Vec3, 3> Axes(const msNode& node) {
  const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2],
               w = node.rotation[3];
  const std::array<double, 9> r = {
      1 - 2 * (y * y + z * z), 2 * (x * y - z * w),     2 * (x * z + y * w),
      2 * (x * y + z * w),     1 - 2 * (x * x + z * z), 2 * (y * z - x * w),
      2 * (x * z - y * w),     2 * (y * z + x * w),     1 - 2 * (x * x + y * y)};
  std::array<Vec3, 3> axes{};
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 3; ++k) axes[c][k] = r[k * 3 + c] * node.scale[c];
  return axes;
}

std::array<double, 9> Product(const std::array<Vec3, 3>& a, const std::array<Vec3, 3>& b) {
  // Columns of a times columns of b: the matrix a b, as columns.
  std::array<double, 9> out{};
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 3; ++k)
      for (int j = 0; j < 3; ++j) out[c * 3 + k] += a[j][k] * b[c][j];
  return out;
}

double Determinant(const std::array<float, 9>& m) {
  return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
         m[2] * (m[3] * m[7] - m[4] * m[6]);
}

void ExpectDirection(const Vec3& got, Vec3 wanted, const std::string& what) {
  const double length =
      std::sqrt(wanted[0] * wanted[0] + wanted[1] * wanted[1] + wanted[2] * wanted[2]);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], wanted[k] / length, 1e-5) << what << " " << k;
}

TEST(PartsFromNodes, MirroredHardpointsKeepForwardAndUpWithAWarning) {
  struct Case {
    std::array<float, 3> wingScale;
    int orientationSign;
    bool mirrored;
  };
  const Case cases[] = {
      {{-1, 1, 1}, 1, true},    {{1, -1, 1}, 1, true}, {{1, 1, -1}, -1, true},
      {{-1, -1, -1}, -1, true}, {{1, 1, 1}, 1, false}, {{-1, -1, 1}, -1, false},
  };
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.wingScale[0]) + "," + std::to_string(c.wingScale[1]) +
                             "," + std::to_string(c.wingScale[2]) + " sign " +
                             std::to_string(c.orientationSign);
    const msModel model = Ship(c.wingScale, {});
    const PartsFromNodes parts = FormPartsFromNodes(model, 1, c.orientationSign);
    ASSERT_EQ(parts.error, "") << name;
    ASSERT_EQ(parts.parts.size(), 2u) << name;
    ASSERT_EQ(parts.parts[1].hardpoints.size(), 1u) << name;
    const PartHardpoint& hardpoint = parts.parts[1].hardpoints[0];
    EXPECT_NEAR(Determinant(hardpoint.orientation), 1, 1e-5) << name << ": a rotation";

    // The hardpoint's axes in the file's frame (the root part's is the model's).
    const std::array<float, 9>& wing = parts.parts[1].joint.rotation;
    const auto inFile = [&](const Vec3& axis) {
      return Times(wing, Times(hardpoint.orientation, axis));
    };
    // The axes the model shows, turned into the file's frame.
    const std::array<double, 9> shown = Product(Axes(model.nodes[1]), Axes(model.nodes[2]));
    const auto shownAxis = [&](int k) {
      return Vec3{shown[k * 3], shown[k * 3 + 1], shown[k * 3 + 2]};
    };
    // The orientation turns the model's frame and each hardpoint's alike:
    // the file's Y and Z axes are the model's turned and reversed.
    const auto file = [&](Vec3 v, int axis) {
      const int reversed = axis == 0 ? 1 : c.orientationSign;
      return Vec3{reversed * v[0], reversed * c.orientationSign * v[1],
                  reversed * c.orientationSign * v[2]};
    };
    ExpectDirection(inFile({0, 0, 1}), file(shownAxis(2), 2), name + ": forward");
    ExpectDirection(inFile({0, 1, 0}), file(shownAxis(1), 1), name + ": up");
    const Vec3 side = file(shownAxis(0), 0);
    ExpectDirection(inFile({1, 0, 0}), c.mirrored ? Vec3{-side[0], -side[1], -side[2]} : side,
                    name + ": side");
    const std::vector<std::string> warned = Warnings(parts);
    if (c.mirrored) {
      ASSERT_EQ(warned.size(), 1u) << name;
      EXPECT_NE(warned[0].find("\"HpGun01\""), std::string::npos) << warned[0];
      EXPECT_NE(warned[0].find("X axis is turned round"), std::string::npos) << warned[0];
    } else {
      EXPECT_TRUE(warned.empty()) << name;
    }
  }
}

}  // namespace
}  // namespace svcmp
