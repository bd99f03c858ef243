#include "host/model_document_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "host/base64.h"
#include "host/model_file_messages.h"
#include "host/windows_1252.h"

namespace svcmp {
namespace {

namespace msg = model_file_messages;

static_assert(std::numeric_limits<float>::is_iec559);

// The shortest text that reads back as the same float through a double, the
// way the document loader reads numbers. The float's own shortest text almost
// always does; in the rare case that double rounding moves it, the exact
// double text is written instead.
std::string FloatText(float value) {
  // JSON readers take "-0" for the integer 0; "-0.0" keeps the sign.
  if (value == 0.0f && std::signbit(value)) return "-0.0";
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  if (static_cast<float>(std::strtod(text.c_str(), nullptr)) == value) return text;
  result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value));
  return std::string(buffer, result.ptr);
}

// Strict escaping refuses bytes that are not UTF-8, which a JSON document
// cannot carry as they are.
bool AppendString(std::string& out, const std::string& text) {
  try {
    out += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// A name as a JSON string; one that is not UTF-8 is taken as the
// Windows-1252 that model files made on Windows hold, carried as UTF-8 and
// followed by the key that gives the reader its bytes back.
void AppendName(std::string& out, const std::string& name, const char* key) {
  if (AppendString(out, name)) return;
  AppendString(out, Windows1252ToUtf8(name));
  out += std::string(", \"") + key + "Encoding\": \"windows-1252\"";
}

// Text that only means what it says (a property's name or value): where it
// is not UTF-8 it is taken as Windows-1252, without a key to give its bytes back.
void AppendText(std::string& out, const std::string& text) {
  if (!AppendString(out, text)) AppendString(out, Windows1252ToUtf8(text));
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool IsUnit(float value) { return value >= 0.0f && value <= 1.0f; }

// A material without a look stays a plain name, as documents had it before
// materials carried one, and so does a name that is not UTF-8. Returns the
// reason when the material cannot be written, empty otherwise.
std::string AppendMaterial(std::string& out, const msMaterial& material) {
  if (!material.HasLook() && AppendString(out, material.name)) return "";
  out += "{\"name\": ";
  AppendName(out, material.name, "name");
  if (material.diffuse) {
    const auto& colour = *material.diffuse;
    if (!IsUnit(colour[0]) || !IsUnit(colour[1]) || !IsUnit(colour[2]))
      return msg::kColourOutOfRange;
    out += ", \"diffuse\": [" + FloatText(colour[0]) + ", " + FloatText(colour[1]) + ", " +
           FloatText(colour[2]) + "]";
  }
  if (material.opacity) {
    if (!IsUnit(*material.opacity)) return msg::kColourOutOfRange;
    out += ", \"opacity\": " + FloatText(*material.opacity);
  }
  if (!material.diffuseTexture.empty()) {
    out += ", \"texture\": ";
    AppendName(out, material.diffuseTexture, "texture");
  }
  if (!material.embeddedTexture.empty()) {
    if (material.diffuseTexture.empty()) return msg::kEmbeddedTextureUnnamed;
    out += ", \"textureData\": \"" + EncodeBase64(material.embeddedTexture) + "\"";
  }
  if (material.emissive) {
    const auto& colour = *material.emissive;
    if (!IsUnit(colour[0]) || !IsUnit(colour[1]) || !IsUnit(colour[2]))
      return msg::kColourOutOfRange;
    out += ", \"emissive\": [" + FloatText(colour[0]) + ", " + FloatText(colour[1]) + ", " +
           FloatText(colour[2]) + "]";
  }
  if (!material.emissiveTexture.empty()) {
    out += ", \"emissiveTexture\": ";
    AppendText(out, material.emissiveTexture);
  }
  if (material.blend) out += ", \"blend\": true";
  if (material.doubleSided) out += ", \"doubleSided\": true";
  if (!material.gameMaterial.empty()) {
    out += ", \"game\": ";
    AppendText(out, material.gameMaterial);
  }
  out += "}";
  return "";
}

// The shortest text that reads back as the same double; null when it is not finite.
bool AppendDouble(std::string& out, double value) {
  if (!std::isfinite(value)) return false;
  if (value == 0.0 && std::signbit(value)) {
    out += "-0.0";
    return true;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
  return true;
}

template <std::size_t N>
bool AppendFloats(std::string& out, const std::array<float, N>& values) {
  out += "[";
  for (std::size_t k = 0; k < N; ++k) {
    if (!std::isfinite(values[k])) return false;
    if (k > 0) out += ", ";
    out += FloatText(values[k]);
  }
  out += "]";
  return true;
}

// Returns the reason when the value cannot be written, empty otherwise.
std::string AppendPropertyValue(std::string& out, const msNodePropertyValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    AppendText(out, *text);
    return "";
  }
  if (const auto* number = std::get_if<double>(&value)) {
    return AppendDouble(out, *number) ? "" : msg::kPropertyNotFinite;
  }
  if (const auto* truth = std::get_if<bool>(&value)) {
    out += *truth ? "true" : "false";
    return "";
  }
  out += "[";
  const auto& numbers = std::get<std::vector<double>>(value);
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    if (k > 0) out += ", ";
    if (!AppendDouble(out, numbers[k])) return msg::kPropertyNotFinite;
  }
  out += "]";
  return "";
}

// One node on one line. Returns the reason when it cannot be written.
std::string AppendNode(std::string& out, const msNode& node) {
  out += "{\"name\": ";
  AppendName(out, node.name, "name");
  out += ", \"parent\": " + std::to_string(node.parent) + ", \"translation\": ";
  if (!AppendFloats(out, node.translation)) return msg::kNotFiniteInDocument;
  out += ", \"rotation\": ";
  if (!AppendFloats(out, node.rotation)) return msg::kNotFiniteInDocument;
  out += ", \"scale\": ";
  if (!AppendFloats(out, node.scale)) return msg::kNotFiniteInDocument;
  out += ", \"meshes\": [";
  for (std::size_t k = 0; k < node.meshes.size(); ++k) {
    if (k > 0) out += ", ";
    out += std::to_string(node.meshes[k]);
  }
  out += "], \"properties\": {";
  for (std::size_t k = 0; k < node.properties.size(); ++k) {
    if (k > 0) out += ", ";
    AppendText(out, node.properties[k].name);
    out += ": ";
    if (std::string error = AppendPropertyValue(out, node.properties[k].value); !error.empty()) {
      return error;
    }
  }
  out += "}}";
  return "";
}

const char* PathText(msAnimationPath path) {
  switch (path) {
    case msAnimationPath::Translation:
      return "translation";
    case msAnimationPath::Rotation:
      return "rotation";
    case msAnimationPath::Scale:
      return "scale";
  }
  return "translation";
}

const char* InterpolationText(msInterpolation interpolation) {
  switch (interpolation) {
    case msInterpolation::Linear:
      return "linear";
    case msInterpolation::Step:
      return "step";
    case msInterpolation::CubicSpline:
      return "cubicspline";
  }
  return "linear";
}

bool AppendFloatList(std::string& out, const std::vector<float>& values) {
  out += "[";
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (!std::isfinite(values[k])) return false;
    if (k > 0) out += ", ";
    out += FloatText(values[k]);
  }
  out += "]";
  return true;
}

// One animation, a channel a line. Returns the reason when it cannot be written.
std::string AppendAnimation(std::string& out, const msAnimation& animation) {
  out += "{\"name\": ";
  AppendText(out, animation.name);
  out += ", \"channels\": [";
  for (std::size_t c = 0; c < animation.channels.size(); ++c) {
    const msAnimationChannel& channel = animation.channels[c];
    out += c > 0 ? ",\n      " : "\n      ";
    out += "{\"node\": " + std::to_string(channel.node) + ", \"path\": \"" +
           PathText(channel.path) + "\", \"interpolation\": \"" +
           InterpolationText(channel.interpolation) + "\", \"times\": ";
    if (!AppendFloatList(out, channel.times)) return msg::kNotFiniteInDocument;
    out += ", \"values\": ";
    if (!AppendFloatList(out, channel.values)) return msg::kNotFiniteInDocument;
    out += "}";
  }
  out += animation.channels.empty() ? "]}" : "\n    ]}";
  return "";
}

}  // namespace

ModelDocumentText WriteModelDocument(const msModel& model) {
  std::string out = "{\n  \"materials\": [";
  for (std::size_t i = 0; i < model.materials.size(); ++i) {
    if (i > 0) out += ", ";
    if (std::string error = AppendMaterial(out, model.materials[i]); !error.empty()) {
      return {"", "material " + std::to_string(i) + error};
    }
  }
  out += "],\n  \"meshes\": [";
  for (std::size_t m = 0; m < model.meshes.size(); ++m) {
    const msMesh& mesh = model.meshes[m];
    out += m > 0 ? ",\n    {\n      \"name\": " : "\n    {\n      \"name\": ";
    AppendName(out, mesh.name, "name");
    out +=
        ",\n      \"material\": " + std::to_string(mesh.materialIndex) + ",\n      \"vertices\": [";
    for (std::size_t v = 0; v < mesh.vertices.size(); ++v) {
      const msVertex& vertex = mesh.vertices[v];
      const float numbers[5] = {vertex.position[0], vertex.position[1], vertex.position[2],
                                vertex.texCoords[0], vertex.texCoords[1]};
      out += v > 0 ? ",\n        [" : "\n        [";
      for (int k = 0; k < 5; ++k) {
        if (!std::isfinite(numbers[k]))
          return {"", "mesh " + Quoted(mesh.name) + msg::kNotFiniteInDocument};
        if (k > 0) out += ", ";
        out += FloatText(numbers[k]);
      }
      out += "]";
    }
    out +=
        mesh.vertices.empty() ? "],\n      \"triangles\": [" : "\n      ],\n      \"triangles\": [";
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
      const msTriangle& triangle = mesh.triangles[t];
      out += t > 0 ? ",\n        [" : "\n        [";
      out += std::to_string(triangle.indices[0]) + ", " + std::to_string(triangle.indices[1]) +
             ", " + std::to_string(triangle.indices[2]) + "]";
    }
    out += mesh.triangles.empty() ? "]\n    }" : "\n      ]\n    }";
  }
  out += model.meshes.empty() ? "]" : "\n  ]";
  // A model without a tree is written as documents were before nodes.
  if (!model.nodes.empty()) {
    out += ",\n  \"nodes\": [";
    for (std::size_t n = 0; n < model.nodes.size(); ++n) {
      out += n > 0 ? ",\n    " : "\n    ";
      if (std::string error = AppendNode(out, model.nodes[n]); !error.empty()) {
        return {"", "node " + Quoted(model.nodes[n].name) + error};
      }
    }
    out += "\n  ]";
  }
  if (!model.animations.empty()) {
    out += ",\n  \"animations\": [";
    for (std::size_t a = 0; a < model.animations.size(); ++a) {
      out += a > 0 ? ",\n    " : "\n    ";
      if (std::string error = AppendAnimation(out, model.animations[a]); !error.empty()) {
        return {"", "animation " + Quoted(model.animations[a].name) + error};
      }
    }
    out += "\n  ]";
  }
  out += "\n}\n";
  return {std::move(out), ""};
}

std::string SaveModelDocument(const msModel& model, const std::string& path) {
  ModelDocumentText document = WriteModelDocument(model);
  if (!document.error.empty()) return Quoted(path) + ": " + document.error;

  const std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << document.text;
    file.close();
    if (!file) {
      std::remove(temporary.c_str());
      return Quoted(path) + ": " + msg::kCannotWrite;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::remove(temporary.c_str());
    return Quoted(path) + ": " + msg::kCannotWrite + " (" + error.message() + ")";
  }
  return "";
}

}  // namespace svcmp
