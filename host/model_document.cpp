#include "host/model_document.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "host/base64.h"
#include "host/json_scanner.h"
#include "host/windows_1252.h"

// The document is read in one pass straight into the model. A refusal is
// remembered per key and the walk goes on, because the reader answers
// exactly as if it judged a finished tree: a syntax error anywhere wins over
// every rule, the rules are judged in a fixed order whatever the key order,
// and of a repeated key the last one counts.
namespace svcmp {
namespace {

using Kind = JsonScanner::Kind;

// The reason a document is refused: the place in it and what was expected.
// Built only when something is wrong.
using Refusal = std::optional<std::string>;

std::string Item(const std::string& place, std::size_t index) {
  return place + "[" + std::to_string(index) + "]";
}

// A whole number of this many characters at most (a sign and 17 digits, or
// 18 digits) is exact in 64 bits, and converting it to float rounds once.
constexpr std::size_t kExactWholeNumberLength = 18;

// A number rounded to the nearest float straight from its text; null beyond
// the float range. An integer zero is +0, as "-0" is the integer 0. Whole
// numbers, the 0 and 1 that fill texture coordinates and normals among them,
// take a shorter way to the same float.
std::optional<float> FloatOf(std::string_view text, bool integral) {
  if (integral && text.size() <= kExactWholeNumberLength) {
    // The scanner has let through only a sign and digits.
    const bool negative = text.front() == '-';
    std::int64_t whole = 0;
    for (const char digit : text.substr(negative ? 1 : 0)) whole = whole * 10 + (digit - '0');
    return static_cast<float>(negative ? -whole : whole);
  }
  float value = 0;
  fast_float::from_chars(text.data(), text.data() + text.size(), value);
  if (std::isinf(value)) return std::nullopt;
  if (integral && value == 0) return 0.0f;
  return value;
}

// A number as a double, for custom properties, which keep what the file gave;
// null beyond the double range.
std::optional<double> DoubleOf(std::string_view text, bool /*integral*/) {
  double value = 0;
  fast_float::from_chars(text.data(), text.data() + text.size(), value);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

// A float from 0 to 1; null for anything else.
std::optional<float> UnitFloatOf(std::string_view text, bool integral) {
  const std::optional<float> value = FloatOf(text, integral);
  if (!value || !(*value >= 0.0f && *value <= 1.0f)) return std::nullopt;
  return value;
}

// Integers only: 1.0 or "1" are refused rather than guessed at.
std::optional<std::int64_t> IntegerIn(std::string_view text, bool integral, std::int64_t low,
                                      std::int64_t high) {
  if (!integral) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || value < low || value > high) return std::nullopt;
  return value;
}

// The one encoding a name may name besides the document's UTF-8.
constexpr char kWindows1252[] = "windows-1252";
constexpr char kEncodingRule[] = ": expected \"windows-1252\"";

// A list makes room for this many items at its first.
constexpr std::size_t kFirstListCapacity = 4;

class ModelReader {
 public:
  ModelReader(std::string_view text, msModel& model, VertexIndexRange range)
      : json_(text), model_(model), wideIndices_(range == VertexIndexRange::Cmptool32Bit) {}

  // The message of the refusal; empty when the document was read.
  std::string Read() {
    Refusal refusal = ReadDocument();
    if (!json_.AtEnd()) return json_.Error();
    return refusal ? std::move(*refusal) : std::string();
  }

 private:
  Refusal ReadDocument() {
    if (json_.Peek() != Kind::Object) {
      json_.SkipValue();
      return "document: expected an object";
    }
    Refusal materials;
    Refusal meshes = "meshes: missing";
    Refusal nodes;
    Refusal animations;
    json_.EnterObject();
    std::string_view key;
    while (json_.NextKey(key)) {
      if (key == "materials") {
        materials = ReadMaterials();
      } else if (key == "meshes") {
        meshes = ReadMeshes();
      } else if (key == "nodes") {
        nodes = ReadNodes();
      } else if (key == "animations") {
        animations = ReadAnimations();
      } else {
        json_.SkipValue();
      }
    }
    if (materials) return materials;
    if (meshes) return meshes;
    if (nodes) return nodes;
    if (Refusal refusal = JudgeNodeMeshes()) return refusal;
    return animations ? animations : JudgeAnimatedNodes();
  }

  // Animations of the node tree: {"name", "channels": [{"node", "path",
  // "interpolation", "times", "values"}]}.
  Refusal ReadAnimations() {
    model_.animations.clear();
    return ReadList("animations", model_.animations, [this](msAnimation& animation) {
      if (json_.Peek() != Kind::Object) return Unexpected(": expected an object");
      Refusal name = ".name: missing";
      Refusal channels;
      json_.EnterObject();
      std::string_view key;
      while (json_.NextKey(key)) {
        if (key == "name") {
          name = ReadText(animation.name, ".name: expected a string");
        } else if (key == "channels") {
          channels = ReadList(".channels", animation.channels,
                              [this](msAnimationChannel& channel) { return ReadChannel(channel); });
        } else {
          json_.SkipValue();
        }
      }
      return name ? name : channels;
    });
  }

  Refusal ReadChannel(msAnimationChannel& channel) {
    if (json_.Peek() != Kind::Object) return Unexpected(": expected an object");
    Refusal node = ".node: missing";
    Refusal path = ".path: missing";
    Refusal interpolation;
    Refusal times = ".times: missing";
    Refusal values = ".values: missing";
    const auto number = [this](float& value) -> Refusal {
      const std::optional<float> read = ReadNumber(FloatOf);
      value = read.value_or(0.0f);
      return read ? Refusal() : ": expected a number within the range of a 32-bit float";
    };
    json_.EnterObject();
    std::string_view key;
    while (json_.NextKey(key)) {
      std::string text;
      if (key == "node") {
        const auto value = ReadNumber([](std::string_view digits, bool integral) {
          return IntegerIn(digits, integral, 0, std::numeric_limits<int>::max());
        });
        channel.node = value ? static_cast<int>(*value) : -1;
        node = value ? Refusal() : ".node: expected the index of a node";
      } else if (key == "path") {
        constexpr char kRule[] = ".path: expected \"translation\", \"rotation\" or \"scale\"";
        path = ReadText(text, kRule);
        if (!path && text == "translation") {
          channel.path = msAnimationPath::Translation;
        } else if (!path && text == "rotation") {
          channel.path = msAnimationPath::Rotation;
        } else if (!path && text == "scale") {
          channel.path = msAnimationPath::Scale;
        } else {
          path = kRule;
        }
      } else if (key == "interpolation") {
        constexpr char kRule[] = ".interpolation: expected \"linear\", \"step\" or \"cubicspline\"";
        interpolation = ReadText(text, kRule);
        if (!interpolation && text == "linear") {
          channel.interpolation = msInterpolation::Linear;
        } else if (!interpolation && text == "step") {
          channel.interpolation = msInterpolation::Step;
        } else if (!interpolation && text == "cubicspline") {
          channel.interpolation = msInterpolation::CubicSpline;
        } else {
          interpolation = kRule;
        }
      } else if (key == "times") {
        times = ReadList(".times", channel.times, number);
      } else if (key == "values") {
        values = ReadList(".values", channel.values, number);
      } else {
        json_.SkipValue();
      }
    }
    for (Refusal* rule : {&node, &path, &interpolation, &times, &values}) {
      if (*rule) return *rule;
    }
    for (std::size_t k = 0; k < channel.times.size(); ++k) {
      if (!(channel.times[k] >= 0) || (k > 0 && !(channel.times[k] > channel.times[k - 1]))) {
        return Item(".times", k) + ": expected a time from 0 up, above the one before";
      }
    }
    std::size_t size = channel.path == msAnimationPath::Rotation ? 4 : 3;
    if (channel.interpolation == msInterpolation::CubicSpline) size *= 3;
    if (channel.times.empty() || channel.values.size() != channel.times.size() * size) {
      return ".values: expected " + std::to_string(size) + " numbers for each of the " +
             std::to_string(channel.times.size()) + " times, and a time at least";
    }
    return std::nullopt;
  }

  // Every node an animation keys exists.
  Refusal JudgeAnimatedNodes() {
    for (std::size_t a = 0; a < model_.animations.size(); ++a) {
      const auto& channels = model_.animations[a].channels;
      for (std::size_t c = 0; c < channels.size(); ++c) {
        if (static_cast<std::size_t>(channels[c].node) >= model_.nodes.size()) {
          return Item(Item("animations", a) + ".channels", c) +
                 ".node: expected the index of a node";
        }
      }
    }
    return std::nullopt;
  }

  // Reads a value the reader does not want and gives the refusal.
  Refusal Unexpected(std::string message) {
    json_.SkipValue();
    return message;
  }

  // Skips the rest of the array entered last.
  void SkipRest() {
    while (json_.NextItem()) json_.SkipValue();
  }

  Refusal ReadMaterials() {
    model_.materials.clear();
    if (json_.Peek() != Kind::Array) return Unexpected("materials: expected an array");
    json_.EnterArray();
    for (std::size_t i = 0; json_.NextItem(); ++i) {
      msMaterial& material = model_.materials.emplace_back();
      if (json_.Peek() == Kind::String) {
        json_.ReadString(material.name);
      } else if (Refusal refusal = ReadMaterial(material)) {
        SkipRest();
        return Item("materials", i) + *refusal;
      }
    }
    return std::nullopt;
  }

  // A material with its look: {"name", "diffuse", "opacity", "texture", "textureData",
  // "emissive", "emissiveTexture", "blend", "doubleSided", "game"}.
  Refusal ReadMaterial(msMaterial& material) {
    if (json_.Peek() != Kind::Object) return Unexpected(": expected a string or an object");
    Refusal name = ".name: missing";
    Refusal diffuse;
    Refusal opacity;
    Refusal texture;
    std::optional<std::string> textureData;  // decoded once the texture's name is known
    Refusal textureDataRule;
    Refusal emissive;
    Refusal emissiveTexture;
    Refusal blend;
    Refusal doubleSided;
    Refusal game;
    Encoding nameEncoding;
    Encoding textureEncoding;
    json_.EnterObject();
    std::string_view key;
    while (json_.NextKey(key)) {
      if (key == "name") {
        name = ReadText(material.name, ".name: expected a string");
      } else if (key == "nameEncoding") {
        nameEncoding = ReadEncoding(".nameEncoding");
      } else if (key == "textureEncoding") {
        textureEncoding = ReadEncoding(".textureEncoding");
      } else if (key == "diffuse") {
        material.diffuse.reset();
        float colour[3] = {};
        diffuse =
            ReadNumbers(".diffuse: expected 3 numbers from 0 to 1", nullptr, UnitFloatOf, colour);
        if (!diffuse) material.diffuse = std::array<float, 3>{colour[0], colour[1], colour[2]};
      } else if (key == "opacity") {
        material.opacity = ReadNumber(UnitFloatOf);
        opacity = material.opacity ? Refusal() : ".opacity: expected a number from 0 to 1";
      } else if (key == "texture") {
        texture = ReadText(material.diffuseTexture, ".texture: expected a file name");
        if (!texture && material.diffuseTexture.empty()) texture = ".texture: expected a file name";
      } else if (key == "textureData") {
        textureDataRule = ReadText(textureData.emplace(), ".textureData: expected base64 text");
      } else if (key == "emissive") {
        material.emissive.reset();
        float colour[3] = {};
        emissive =
            ReadNumbers(".emissive: expected 3 numbers from 0 to 1", nullptr, UnitFloatOf, colour);
        if (!emissive) material.emissive = std::array<float, 3>{colour[0], colour[1], colour[2]};
      } else if (key == "emissiveTexture") {
        emissiveTexture =
            ReadText(material.emissiveTexture, ".emissiveTexture: expected a file name");
      } else if (key == "blend") {
        blend = ReadFlag(material.blend, ".blend: expected true or false");
      } else if (key == "doubleSided") {
        doubleSided = ReadFlag(material.doubleSided, ".doubleSided: expected true or false");
      } else if (key == "game") {
        game = ReadText(material.gameMaterial, ".game: expected a string");
      } else {
        json_.SkipValue();
      }
    }
    for (Refusal* rule :
         {&name, &nameEncoding.refusal, &diffuse, &opacity, &texture, &textureEncoding.refusal,
          &emissive, &emissiveTexture, &blend, &doubleSided, &game}) {
      if (*rule) return *rule;
    }
    if (Refusal refusal = Decode(nameEncoding, material.name, ".name")) return refusal;
    if (Refusal refusal = Decode(textureEncoding, material.diffuseTexture, ".texture")) {
      return refusal;
    }
    if (!textureData) return std::nullopt;
    // The image needs a name to be stored under in the texture library.
    if (material.diffuseTexture.empty()) return ".texture: missing";
    if (textureDataRule) return textureDataRule;
    auto bytes = DecodeBase64(*textureData);
    if (!bytes) return ".textureData: expected base64 text";
    material.embeddedTexture = std::move(*bytes);
    return std::nullopt;
  }

  Refusal ReadMeshes() {
    model_.meshes.clear();
    if (json_.Peek() != Kind::Array) return Unexpected("meshes: expected an array");
    json_.EnterArray();
    for (std::size_t i = 0; json_.NextItem(); ++i) {
      if (Refusal refusal = ReadMesh(i, model_.meshes.emplace_back())) {
        SkipRest();
        return refusal;
      }
    }
    return std::nullopt;
  }

  Refusal ReadMesh(std::size_t index, msMesh& mesh) {
    const auto place = [index] { return Item("meshes", index); };
    if (json_.Peek() != Kind::Object) return Unexpected(place() + ": expected an object");

    // Both lists are required: a misspelt key must not pass as an empty mesh.
    struct Required {
      bool seen = false;
      Refusal refusal;
    };
    Required name;
    Refusal material;
    Required vertices;
    Required triangles;
    Encoding nameEncoding;
    json_.EnterObject();
    std::string_view key;
    while (json_.NextKey(key)) {
      if (key == "name") {
        name = {true, ReadText(mesh.name, ".name: expected a string")};
      } else if (key == "nameEncoding") {
        nameEncoding = ReadEncoding(".nameEncoding");
      } else if (key == "material") {
        material = ReadMaterialIndex(mesh);
      } else if (key == "vertices") {
        vertices = {true, ReadVertices(mesh)};
      } else if (key == "triangles") {
        triangles = {true, ReadTriangles(mesh)};
      } else {
        json_.SkipValue();
      }
    }
    const auto judge = [](const Required& required, const char* missing) {
      return required.seen ? required.refusal : Refusal(missing);
    };
    for (const Refusal& rule :
         {judge(name, ".name: missing"), nameEncoding.refusal, material,
          judge(vertices, ".vertices: missing"), judge(triangles, ".triangles: missing"),
          Decode(nameEncoding, mesh.name, ".name")}) {
      if (rule) return place() + *rule;
    }
    return std::nullopt;
  }

  // A "...Encoding" key: the string beside it held these bytes in the model
  // file, which the document carries as UTF-8.
  struct Encoding {
    bool windows1252 = false;
    Refusal refusal;
  };

  Encoding ReadEncoding(const std::string& field) {
    std::string value;
    const Refusal notText = ReadText(value, kEncodingRule);
    if (notText || value != kWindows1252) return {false, field + kEncodingRule};
    return {true, std::nullopt};
  }

  // The model file's bytes of `text` when its encoding says it held other
  // bytes than the document's UTF-8.
  static Refusal Decode(const Encoding& encoding, std::string& text, const char* field) {
    if (!encoding.windows1252) return std::nullopt;
    std::optional<std::string> bytes = Utf8ToWindows1252(text);
    if (!bytes) return std::string(field) + ": has a character that Windows-1252 has not";
    text = std::move(*bytes);
    return std::nullopt;
  }

  Refusal ReadMaterialIndex(msMesh& mesh) {
    const auto index = ReadNumber([](std::string_view text, bool integral) {
      return IntegerIn(text, integral, std::numeric_limits<int>::min(),
                       std::numeric_limits<int>::max());
    });
    mesh.materialIndex = index ? static_cast<int>(*index) : -1;
    return index ? Refusal() : ".material: expected an integer";
  }

  Refusal ReadVertices(msMesh& mesh) {
    return ReadList(".vertices", mesh.vertices, [this](msVertex& v) { return ReadVertex(v); });
  }

  // A JSON array into `items`, each element read by `readItem`; the first
  // refusal names the element's place.
  template <typename Items, typename ReadItem>
  Refusal ReadList(const char* field, Items& items, ReadItem readItem) {
    items.clear();
    if (json_.Peek() != Kind::Array) return Unexpected(std::string(field) + ": expected an array");
    json_.EnterArray();
    for (std::size_t i = 0; json_.NextItem(); ++i) {
      // One allocation for a short list, such as a hardpoint's three corners.
      if (i == 0) items.reserve(kFirstListCapacity);
      if (Refusal refusal = readItem(items.emplace_back())) {
        SkipRest();
        return Item(field, i) + *refusal;
      }
    }
    return std::nullopt;
  }

  // true or false into `flag`, or the refusal `rule` for any other value.
  Refusal ReadFlag(bool& flag, const char* rule) {
    if (json_.Peek() != Kind::Literal) {
      json_.SkipValue();
      return rule;
    }
    std::string_view literal;
    if (!json_.ReadLiteral(literal) || (literal != "true" && literal != "false")) return rule;
    flag = literal == "true";
    return std::nullopt;
  }

  // A string value into `text`, or the refusal `rule` for any other value.
  Refusal ReadText(std::string& text, const char* rule) {
    if (json_.Peek() != Kind::String) return Unexpected(rule);
    json_.ReadString(text);
    return std::nullopt;
  }

  // One number made a value by `convert`; null for any other value and for
  // a number that does not fit.
  template <typename Convert>
  auto ReadNumber(Convert convert) -> decltype(convert(std::string_view(), false)) {
    if (json_.Peek() != Kind::Number) {
      json_.SkipValue();
      return std::nullopt;
    }
    std::string_view text;
    bool integral = false;
    if (!json_.ReadNumber(text, integral)) return std::nullopt;
    return convert(text, integral);
  }

  // An array of exactly N numbers, each made a value by `convert` (null when
  // the number does not fit); a wrong count is told before a wrong number,
  // which `numberRule` names after the number's index (null: `countRule`
  // covers both).
  template <std::size_t N, typename Value, typename Convert>
  Refusal ReadNumbers(const char* countRule, const char* numberRule, Convert convert,
                      Value (&values)[N]) {
    if (json_.Peek() != Kind::Array) return Unexpected(countRule);
    Refusal wrongNumber;
    std::size_t count = 0;
    json_.EnterArray();
    for (; json_.NextItem(); ++count) {
      if (count >= N || wrongNumber) {
        json_.SkipValue();
      } else if (const std::optional<Value> value = ReadNumber(convert)) {
        values[count] = *value;
      } else {
        wrongNumber = numberRule ? Item("", count) + numberRule : countRule;
      }
    }
    if (count != N) return countRule;
    return wrongNumber;
  }

  Refusal ReadVertex(msVertex& vertex) {
    float values[5] = {};
    Refusal refusal =
        ReadNumbers(": expected 5 numbers",
                    ": expected a number within the range of a 32-bit float", FloatOf, values);
    if (refusal) return refusal;
    for (int axis = 0; axis < 3; ++axis) vertex.position[axis] = values[axis];
    vertex.texCoords[0] = values[3];
    vertex.texCoords[1] = values[4];
    return std::nullopt;
  }

  Refusal ReadTriangles(msMesh& mesh) {
    return ReadList(".triangles", mesh.triangles,
                    [this](msTriangle& t) { return ReadTriangle(t); });
  }

  Refusal ReadTriangle(msTriangle& triangle) {
    const std::int64_t highest = wideIndices_ ? std::numeric_limits<std::uint32_t>::max() : 65535;
    const auto index = [highest](std::string_view text,
                                 bool integral) -> std::optional<std::uint32_t> {
      const auto value = IntegerIn(text, integral, 0, highest);
      if (!value) return std::nullopt;
      return static_cast<std::uint32_t>(*value);
    };
    return ReadNumbers(": expected 3 vertex indices",
                       wideIndices_ ? ": expected an integer from 0 to 4294967295"
                                    : ": expected an integer from 0 to 65535",
                       index, triangle.indices);
  }

  // The tree: every node after its parent, so a walk in list order meets
  // parents first.
  Refusal ReadNodes() {
    model_.nodes.clear();
    if (json_.Peek() != Kind::Array) return Unexpected("nodes: expected an array");
    json_.EnterArray();
    for (std::size_t i = 0; json_.NextItem(); ++i) {
      if (Refusal refusal = ReadNode(i, model_.nodes.emplace_back())) {
        SkipRest();
        return Item("nodes", i) + *refusal;
      }
    }
    return std::nullopt;
  }

  Refusal ReadNode(std::size_t index, msNode& node) {
    if (json_.Peek() != Kind::Object) return Unexpected(": expected an object");
    Refusal name = ".name: missing";
    Refusal parent;
    Refusal translation;
    Refusal rotation;
    Refusal scale;
    Refusal meshes;
    Refusal properties;
    Encoding nameEncoding;
    json_.EnterObject();
    std::string_view key;
    while (json_.NextKey(key)) {
      if (key == "name") {
        name = ReadText(node.name, ".name: expected a string");
      } else if (key == "nameEncoding") {
        nameEncoding = ReadEncoding(".nameEncoding");
      } else if (key == "parent") {
        const auto value = ReadNumber([index](std::string_view text, bool integral) {
          return IntegerIn(text, integral, -1, static_cast<std::int64_t>(index) - 1);
        });
        node.parent = value ? static_cast<int>(*value) : -1;
        parent = value ? Refusal() : ".parent: expected -1 or the index of an earlier node";
      } else if (key == "translation") {
        translation = ReadFloats(".translation: expected 3 numbers", node.translation);
      } else if (key == "rotation") {
        rotation = ReadFloats(".rotation: expected 4 numbers", node.rotation);
      } else if (key == "scale") {
        scale = ReadFloats(".scale: expected 3 numbers", node.scale);
      } else if (key == "meshes") {
        meshes = ReadList(".meshes", node.meshes, [this](int& mesh) {
          const auto value = ReadNumber([](std::string_view text, bool integral) {
            return IntegerIn(text, integral, 0, std::numeric_limits<int>::max());
          });
          mesh = value ? static_cast<int>(*value) : 0;
          return value ? Refusal() : ": expected the index of a mesh";
        });
      } else if (key == "properties") {
        properties = ReadProperties(node.properties);
      } else {
        json_.SkipValue();
      }
    }
    for (Refusal* rule : {&name, &nameEncoding.refusal, &parent, &translation, &rotation, &scale,
                          &meshes, &properties}) {
      if (*rule) return *rule;
    }
    return Decode(nameEncoding, node.name, ".name");
  }

  template <std::size_t N>
  Refusal ReadFloats(const char* rule, std::array<float, N>& values) {
    float read[N] = {};
    Refusal refusal = ReadNumbers(rule, nullptr, FloatOf, read);
    if (!refusal) std::copy(read, read + N, values.begin());
    return refusal;
  }

  // Custom properties as given; of a name given twice the last counts.
  Refusal ReadProperties(std::vector<msNodeProperty>& properties) {
    properties.clear();
    if (json_.Peek() != Kind::Object) return Unexpected(".properties: expected an object");
    Refusal refusal;
    json_.EnterObject();
    std::string_view key;
    while (json_.NextKey(key)) {
      if (refusal) {
        json_.SkipValue();
        continue;
      }
      const std::string name(key);
      std::optional<msNodePropertyValue> value = ReadPropertyValue();
      if (!value) {
        refusal = ".properties." + name +
                  ": expected a string, a number, true, false or a list of numbers";
        continue;
      }
      const auto same = std::find_if(properties.begin(), properties.end(),
                                     [&name](const msNodeProperty& p) { return p.name == name; });
      if (same != properties.end()) properties.erase(same);
      properties.push_back({name, std::move(*value)});
    }
    return refusal;
  }

  std::optional<msNodePropertyValue> ReadPropertyValue() {
    switch (json_.Peek()) {
      case Kind::String: {
        std::string text;
        json_.ReadString(text);
        return text;
      }
      case Kind::Number: {
        const std::optional<double> number = ReadNumber(DoubleOf);
        if (!number) return std::nullopt;
        return *number;
      }
      case Kind::Literal: {
        std::string_view literal;
        if (!json_.ReadLiteral(literal) || literal == "null") return std::nullopt;
        return literal == "true";
      }
      case Kind::Array: {
        std::vector<double> numbers;
        bool allNumbers = true;
        json_.EnterArray();
        while (json_.NextItem()) {
          const std::optional<double> number = allNumbers ? ReadNumber(DoubleOf) : std::nullopt;
          if (number) {
            numbers.push_back(*number);
          } else if (allNumbers) {
            allNumbers = false;
          } else {
            json_.SkipValue();
          }
        }
        if (!allNumbers) return std::nullopt;
        return numbers;
      }
      default:
        json_.SkipValue();
        return std::nullopt;
    }
  }

  // Rules that need both lists: every mesh a node holds exists and has one
  // node at most.
  Refusal JudgeNodeMeshes() {
    std::vector<int> holder(model_.meshes.size(), -1);
    for (std::size_t n = 0; n < model_.nodes.size(); ++n) {
      const std::vector<int>& meshes = model_.nodes[n].meshes;
      for (std::size_t k = 0; k < meshes.size(); ++k) {
        const auto place = [&] { return Item(Item("nodes", n) + ".meshes", k); };
        const auto mesh = static_cast<std::size_t>(meshes[k]);
        if (mesh >= holder.size()) return place() + ": expected the index of a mesh";
        if (holder[mesh] >= 0) {
          return place() + ": mesh " + std::to_string(mesh) + " is held by node " +
                 std::to_string(holder[mesh]) + " already";
        }
        holder[mesh] = static_cast<int>(n);
      }
    }
    return std::nullopt;
  }

  JsonScanner json_;
  msModel& model_;
  bool wideIndices_;
};

ModelDocumentResult Refuse(std::string message) { return {nullptr, std::move(message)}; }

// The whole file in one read into a buffer of its size; null and the reason
// when it cannot be had.
std::optional<std::string> ReadDocumentText(const std::string& path, std::string& reason) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file) {
    reason = "cannot open the model document " + path;
    return std::nullopt;
  }
  std::optional<std::string> text;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size < std::numeric_limits<std::size_t>::max()) {
    text.emplace(static_cast<std::size_t>(size), '\0');
    // One more byte is asked for, so a file that grew since is noticed.
    char past = 0;
    if (std::fread(text->data(), 1, text->size(), file.get()) != text->size() ||
        std::fread(&past, 1, 1, file.get()) != 0) {
      text.reset();
    }
  }
  if (!text) reason = "cannot read the model document " + path;
  return text;
}

// Only running out of memory can throw here; the caller sees a message.
template <typename Load>
ModelDocumentResult Guarded(Load load) {
  try {
    return load();
  } catch (const std::exception& failure) {
    return Refuse(std::string("the document could not be read: ") + failure.what());
  }
}

}  // namespace

ModelDocumentResult ParseModelDocument(std::string_view text, VertexIndexRange range) {
  return Guarded([text, range]() -> ModelDocumentResult {
    HostModelPtr model = MakeHostModel();
    std::string refusal = ModelReader(text, *model, range).Read();
    if (!refusal.empty()) return Refuse(std::move(refusal));
    return {std::move(model), {}};
  });
}

ModelDocumentResult LoadModelDocument(const std::string& path, VertexIndexRange range) {
  return Guarded([&path, range]() -> ModelDocumentResult {
    std::string reason;
    const std::optional<std::string> text = ReadDocumentText(path, reason);
    if (!text) return Refuse(std::move(reason));
    return ParseModelDocument(*text, range);
  });
}

}  // namespace svcmp
