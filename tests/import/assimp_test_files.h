#pragma once

// Small model files written by the tests themselves, into a fresh directory.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/base64.h"
#include "tests/utf/folder_test.h"

namespace svcmp::testing {

class ModelFileTest : public FolderTest {
 protected:
  std::string Write(const std::string& name, const std::string& text) const {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

struct GltfPrimitive {
  std::vector<std::array<float, 3>> positions;
  std::vector<std::array<float, 2>> texCoords;  // empty: none
  std::vector<std::uint16_t> indices;
  std::vector<std::array<float, 2>> secondTexCoords;  // empty: none
  std::vector<std::array<float, 3>> morphOffsets;     // one morph target; empty: none
};

struct GltfNode {
  std::string name;  // empty: the node has no "name" key
  int mesh = -1;
  std::array<float, 3> translation{0, 0, 0};
  std::array<float, 3> scale{1, 1, 1};
  std::vector<int> children;
  std::array<float, 4> rotation = {0, 0, 0, 1};
  nlohmann::json extras = {};  // null: none
};

// A glTF 2.0 document with an embedded buffer: meshes[i] is a list of
// primitives; the scene's roots are the given node indices.
inline std::string MakeGltf(const std::vector<std::vector<GltfPrimitive>>& meshes,
                            const std::vector<GltfNode>& nodes, const std::vector<int>& roots) {
  std::vector<std::uint8_t> buffer;
  nlohmann::json views = nlohmann::json::array();
  nlohmann::json accessors = nlohmann::json::array();
  auto addView = [&](const void* data, std::size_t size) {
    while (buffer.size() % 4 != 0) buffer.push_back(0);
    views.push_back({{"buffer", 0}, {"byteOffset", buffer.size()}, {"byteLength", size}});
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    buffer.insert(buffer.end(), bytes, bytes + size);
    return views.size() - 1;
  };
  nlohmann::json jsonMeshes = nlohmann::json::array();
  for (const auto& mesh : meshes) {
    nlohmann::json primitives = nlohmann::json::array();
    for (const GltfPrimitive& primitive : mesh) {
      std::array<float, 3> low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
      for (const auto& p : primitive.positions) {
        for (int k = 0; k < 3; ++k)
          low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
      }
      nlohmann::json attributes;
      accessors.push_back(
          {{"bufferView", addView(primitive.positions.data(), primitive.positions.size() * 12)},
           {"componentType", 5126},
           {"count", primitive.positions.size()},
           {"type", "VEC3"},
           {"min", low},
           {"max", high}});
      attributes["POSITION"] = accessors.size() - 1;
      // A float attribute of the given glTF type.
      const auto addFloats = [&](const auto& values, const char* type) {
        accessors.push_back(
            {{"bufferView", addView(values.data(), values.size() * sizeof(values[0]))},
             {"componentType", 5126},
             {"count", values.size()},
             {"type", type}});
        return accessors.size() - 1;
      };
      if (!primitive.texCoords.empty()) {
        attributes["TEXCOORD_0"] = addFloats(primitive.texCoords, "VEC2");
      }
      if (!primitive.secondTexCoords.empty()) {
        attributes["TEXCOORD_1"] = addFloats(primitive.secondTexCoords, "VEC2");
      }
      nlohmann::json targets = nlohmann::json::array();
      if (!primitive.morphOffsets.empty()) {
        targets.push_back({{"POSITION", addFloats(primitive.morphOffsets, "VEC3")}});
      }
      accessors.push_back(
          {{"bufferView", addView(primitive.indices.data(), primitive.indices.size() * 2)},
           {"componentType", 5123},
           {"count", primitive.indices.size()},
           {"type", "SCALAR"}});
      primitives.push_back({{"attributes", attributes}, {"indices", accessors.size() - 1}});
      if (!targets.empty()) primitives.back()["targets"] = targets;
    }
    jsonMeshes.push_back({{"primitives", primitives}});
  }
  nlohmann::json jsonNodes = nlohmann::json::array();
  for (const GltfNode& node : nodes) {
    nlohmann::json jsonNode = {{"translation", node.translation}, {"scale", node.scale}};
    if (!node.name.empty()) jsonNode["name"] = node.name;
    if (node.mesh >= 0) jsonNode["mesh"] = node.mesh;
    if (!node.children.empty()) jsonNode["children"] = node.children;
    if (node.rotation != std::array<float, 4>{0, 0, 0, 1}) jsonNode["rotation"] = node.rotation;
    if (!node.extras.is_null()) jsonNode["extras"] = node.extras;
    jsonNodes.push_back(jsonNode);
  }
  nlohmann::json document = {
      {"asset", {{"version", "2.0"}}},
      {"buffers",
       {{{"byteLength", buffer.size()},
         {"uri", "data:application/octet-stream;base64," + EncodeBase64(buffer)}}}},
      {"bufferViews", views},
      {"accessors", accessors},
      {"meshes", jsonMeshes},
      {"nodes", jsonNodes},
      {"scenes", {{{"nodes", roots}}}},
      {"scene", 0}};
  if (buffer.empty()) document.erase("buffers");
  return document.dump();
}

// A box from -1 to 1 on every axis: eight shared corners, faces wound
// counter-clockwise seen from outside.
inline GltfPrimitive Box() {
  GltfPrimitive box;
  box.positions = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                   {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  box.indices = {0, 3, 2, 0, 2, 1, 4, 5, 6, 4, 6, 7, 0, 1, 5, 0, 5, 4,
                 3, 7, 6, 3, 6, 2, 0, 4, 7, 0, 7, 3, 1, 2, 6, 1, 6, 5};
  return box;
}

// A triangle primitive over three positions, without texture coordinates.
inline GltfPrimitive Triangle(std::array<float, 3> a, std::array<float, 3> b,
                              std::array<float, 3> c) {
  return {{a, b, c}, {}, {0, 1, 2}, {}, {}};
}

}  // namespace svcmp::testing
