#include "host/model_document.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <exception>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <utility>

#include "host/base64.h"

namespace svcmp {
namespace {

using Json = nlohmann::json;

// Builds the document tree like the library's own parser, with two changes:
// a decimal number is rounded straight from its text to a 32-bit float (the
// library would round it to a double first, and rounding twice can miss the
// nearest float), and a syntax error is kept as text instead of thrown.
class DocumentSax final : public nlohmann::json_sax<Json> {
 public:
  explicit DocumentSax(Json& root) : builder_(root, false) {}

  const std::string& error() const { return error_; }

  bool null() override { return builder_.null(); }
  bool boolean(bool value) override { return builder_.boolean(value); }
  bool number_integer(number_integer_t value) override { return builder_.number_integer(value); }
  bool number_unsigned(number_unsigned_t value) override { return builder_.number_unsigned(value); }
  bool number_float(number_float_t value, const string_t& text) override {
    float rounded = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), rounded);
    if (status == std::errc() && end == text.data() + text.size()) {
      // The float is exact as a double, so later conversions keep it.
      return builder_.number_float(static_cast<double>(rounded), text);
    }
    // Beyond the float range: kept as the library's double; the model
    // reader refuses it with the number's place.
    return builder_.number_float(value, text);
  }
  bool string(string_t& value) override { return builder_.string(value); }
  bool binary(binary_t& value) override { return builder_.binary(value); }
  bool start_object(std::size_t count) override { return builder_.start_object(count); }
  bool key(string_t& value) override { return builder_.key(value); }
  bool end_object() override { return builder_.end_object(); }
  bool start_array(std::size_t count) override { return builder_.start_array(count); }
  bool end_array() override { return builder_.end_array(); }
  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::detail::exception& failure) override {
    // what() is "[json.exception.parse_error.101] parse error at line L,
    // column C: ..."; the bracketed id means nothing to a modder.
    std::string text = failure.what();
    const auto idEnd = text.find("] ");
    error_ = idEnd == std::string::npos ? text : text.substr(idEnd + 2);
    return builder_.parse_error(position, token, failure);
  }

 private:
  nlohmann::detail::json_sax_dom_parser<Json> builder_;
  std::string error_;
};

// The reason a document is refused: the place in it and what was expected.
struct Refusal {
  std::string message;
};

class ModelReader {
 public:
  explicit ModelReader(msModel& model) : model_(model) {}

  std::optional<Refusal> Read(const Json& root) {
    if (!root.is_object()) return Refusal{"document: expected an object"};
    if (const auto found = root.find("materials"); found != root.end()) {
      if (auto refusal = ReadMaterials(*found)) return refusal;
    }
    const auto meshes = root.find("meshes");
    if (meshes == root.end()) return Refusal{"meshes: missing"};
    if (!meshes->is_array()) return Refusal{"meshes: expected an array"};
    model_.meshes.resize(meshes->size());
    for (std::size_t i = 0; i < meshes->size(); ++i) {
      if (auto refusal =
              ReadMesh((*meshes)[i], "meshes[" + std::to_string(i) + "]", model_.meshes[i])) {
        return refusal;
      }
    }
    return std::nullopt;
  }

 private:
  std::optional<Refusal> ReadMaterials(const Json& materials) {
    if (!materials.is_array()) return Refusal{"materials: expected an array"};
    model_.materials.resize(materials.size());
    for (std::size_t i = 0; i < materials.size(); ++i) {
      const std::string place = "materials[" + std::to_string(i) + "]";
      if (materials[i].is_string()) {
        model_.materials[i].name = materials[i].get<std::string>();
      } else if (auto refusal = ReadMaterial(materials[i], place, model_.materials[i])) {
        return refusal;
      }
    }
    return std::nullopt;
  }

  // A material with its look: {"name", "diffuse", "opacity", "texture", "textureData"}.
  static std::optional<Refusal> ReadMaterial(const Json& item, const std::string& place,
                                             msMaterial& material) {
    if (!item.is_object()) return Refusal{place + ": expected a string or an object"};
    const auto name = item.find("name");
    if (name == item.end()) return Refusal{place + ".name: missing"};
    if (!name->is_string()) return Refusal{place + ".name: expected a string"};
    material.name = name->get<std::string>();

    if (const auto diffuse = item.find("diffuse"); diffuse != item.end()) {
      if (!diffuse->is_array() || diffuse->size() != 3) {
        return Refusal{place + ".diffuse: expected 3 numbers from 0 to 1"};
      }
      std::array<float, 3> colour{};
      for (std::size_t k = 0; k < 3; ++k) {
        const auto value = UnitFloatOf((*diffuse)[k]);
        if (!value) return Refusal{place + ".diffuse: expected 3 numbers from 0 to 1"};
        colour[k] = *value;
      }
      material.diffuse = colour;
    }
    if (const auto opacity = item.find("opacity"); opacity != item.end()) {
      material.opacity = UnitFloatOf(*opacity);
      if (!material.opacity) return Refusal{place + ".opacity: expected a number from 0 to 1"};
    }
    if (const auto texture = item.find("texture"); texture != item.end()) {
      if (!texture->is_string() || texture->get_ref<const std::string&>().empty()) {
        return Refusal{place + ".texture: expected a file name"};
      }
      material.diffuseTexture = texture->get<std::string>();
    }
    if (const auto data = item.find("textureData"); data != item.end()) {
      // The image needs a name to be stored under in the texture library.
      if (material.diffuseTexture.empty()) return Refusal{place + ".texture: missing"};
      auto bytes =
          data->is_string() ? DecodeBase64(data->get_ref<const std::string&>()) : std::nullopt;
      if (!bytes) return Refusal{place + ".textureData: expected base64 text"};
      material.embeddedTexture = std::move(*bytes);
    }
    return std::nullopt;
  }

  static std::optional<Refusal> ReadMesh(const Json& item, const std::string& place, msMesh& mesh) {
    if (!item.is_object()) return Refusal{place + ": expected an object"};

    const auto name = item.find("name");
    if (name == item.end()) return Refusal{place + ".name: missing"};
    if (!name->is_string()) return Refusal{place + ".name: expected a string"};
    mesh.name = name->get<std::string>();

    if (const auto material = item.find("material"); material != item.end()) {
      const auto index =
          IntegerIn(*material, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
      if (!index) return Refusal{place + ".material: expected an integer"};
      mesh.materialIndex = static_cast<int>(*index);
    }

    // Both lists are required: a misspelt key must not pass as an empty mesh.
    const auto vertices = item.find("vertices");
    if (vertices == item.end()) return Refusal{place + ".vertices: missing"};
    if (!vertices->is_array()) return Refusal{place + ".vertices: expected an array"};
    mesh.vertices.resize(vertices->size());
    for (std::size_t j = 0; j < vertices->size(); ++j) {
      const std::string vertexPlace = place + ".vertices[" + std::to_string(j) + "]";
      if (auto refusal = ReadVertex((*vertices)[j], vertexPlace, mesh.vertices[j])) return refusal;
    }

    const auto triangles = item.find("triangles");
    if (triangles == item.end()) return Refusal{place + ".triangles: missing"};
    if (!triangles->is_array()) return Refusal{place + ".triangles: expected an array"};
    mesh.triangles.resize(triangles->size());
    for (std::size_t k = 0; k < triangles->size(); ++k) {
      const std::string trianglePlace = place + ".triangles[" + std::to_string(k) + "]";
      if (auto refusal = ReadTriangle((*triangles)[k], trianglePlace, mesh.triangles[k]))
        return refusal;
    }
    return std::nullopt;
  }

  static std::optional<Refusal> ReadVertex(const Json& item, const std::string& place,
                                           msVertex& vertex) {
    if (!item.is_array() || item.size() != 5) return Refusal{place + ": expected 5 numbers"};
    float values[5];
    for (std::size_t n = 0; n < 5; ++n) {
      const auto value = FloatOf(item[n]);
      if (!value)
        return Refusal{place + "[" + std::to_string(n) +
                       "]: expected a number within the range of a 32-bit float"};
      values[n] = *value;
    }
    for (int axis = 0; axis < 3; ++axis) vertex.position[axis] = values[axis];
    vertex.texCoords[0] = values[3];
    vertex.texCoords[1] = values[4];
    return std::nullopt;
  }

  static std::optional<Refusal> ReadTriangle(const Json& item, const std::string& place,
                                             msTriangle& triangle) {
    if (!item.is_array() || item.size() != 3) return Refusal{place + ": expected 3 vertex indices"};
    for (std::size_t corner = 0; corner < 3; ++corner) {
      const auto index = IntegerIn(item[corner], 0, 65535);
      if (!index)
        return Refusal{place + "[" + std::to_string(corner) +
                       "]: expected an integer from 0 to 65535"};
      triangle.indices[corner] = static_cast<std::uint16_t>(*index);
    }
    return std::nullopt;
  }

  // Integers only: 1.0 or "1" are refused rather than guessed at.
  static std::optional<std::int64_t> IntegerIn(const Json& value, std::int64_t low,
                                               std::int64_t high) {
    if (value.is_number_unsigned()) {
      const auto number = value.get<std::uint64_t>();
      if (number > static_cast<std::uint64_t>(high)) return std::nullopt;
      return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) {
      const auto number = value.get<std::int64_t>();
      if (number < low || number > high) return std::nullopt;
      return number;
    }
    return std::nullopt;
  }

  // Rounded to the nearest float in one step; refused when it would become
  // an infinity.
  static std::optional<float> FloatOf(const Json& value) {
    if (value.is_number_unsigned()) return static_cast<float>(value.get<std::uint64_t>());
    if (value.is_number_integer()) return static_cast<float>(value.get<std::int64_t>());
    if (!value.is_number_float()) return std::nullopt;
    const double number = value.get<double>();
    if (!(number >= -std::numeric_limits<float>::max() &&
          number <= std::numeric_limits<float>::max())) {
      return std::nullopt;
    }
    return static_cast<float>(number);
  }

  static std::optional<float> UnitFloatOf(const Json& value) {
    const auto number = FloatOf(value);
    if (!number || !(*number >= 0.0f && *number <= 1.0f)) return std::nullopt;
    return number;
  }

  msModel& model_;
};

ModelDocumentResult Refuse(std::string message) { return {nullptr, std::move(message)}; }

}  // namespace

ModelDocumentResult ParseModelDocument(std::string_view text) {
  try {
    Json root;
    DocumentSax sax(root);
    if (!Json::sax_parse(text.begin(), text.end(), &sax) || !sax.error().empty()) {
      return Refuse(sax.error().empty() ? "the document is not valid JSON" : sax.error());
    }
    HostModelPtr model = MakeHostModel();
    if (auto refusal = ModelReader(*model).Read(root)) return Refuse(std::move(refusal->message));
    return {std::move(model), {}};
  } catch (const std::exception& failure) {
    // Only running out of memory can get here; the caller sees a message.
    return Refuse(std::string("the document could not be read: ") + failure.what());
  }
}

ModelDocumentResult LoadModelDocument(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Refuse("cannot open the model document " + path);
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return Refuse("cannot read the model document " + path);
  return ParseModelDocument(text.str());
}

}  // namespace svcmp
