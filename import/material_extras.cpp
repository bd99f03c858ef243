#include "import/material_extras.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace svcmp {
namespace {

using Json = nlohmann::ordered_json;

constexpr char kType[] = "type";
constexpr char kLeaves[] = "leaves";
constexpr char kName[] = "name";
constexpr char kText[] = "text";
constexpr char kColour[] = "colour";
constexpr char kNumber[] = "number";
constexpr char kFlags[] = "flags";
constexpr char kBytes[] = "bytes";

bool Finite(float value) { return std::isfinite(value); }

std::optional<float> FloatOf(const Json& json) {
  if (!json.is_number()) return std::nullopt;
  const double value = json.get<double>();
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
    return std::nullopt;
  }
  return static_cast<float>(value);
}

std::optional<MaterialLeafValue> ValueOf(const Json& leaf) {
  if (leaf.contains(kText) && leaf[kText].is_string()) return leaf[kText].get<std::string>();
  if (leaf.contains(kColour) && leaf[kColour].is_array() && leaf[kColour].size() == 3) {
    MaterialColour colour{};
    for (std::size_t i = 0; i < 3; ++i) {
      const auto channel = FloatOf(leaf[kColour][i]);
      if (!channel) return std::nullopt;
      colour[i] = *channel;
    }
    return colour;
  }
  if (leaf.contains(kNumber)) {
    const auto number = FloatOf(leaf[kNumber]);
    if (number) return *number;
    return std::nullopt;
  }
  if (leaf.contains(kFlags) && leaf[kFlags].is_number_unsigned() &&
      leaf[kFlags].get<std::uint64_t>() <= std::numeric_limits<std::uint32_t>::max()) {
    return static_cast<std::uint32_t>(leaf[kFlags].get<std::uint64_t>());
  }
  if (leaf.contains(kBytes) && leaf[kBytes].is_array()) {
    std::vector<std::uint8_t> bytes;
    for (const Json& byte : leaf[kBytes]) {
      if (!byte.is_number_unsigned() || byte.get<std::uint64_t>() > 255) return std::nullopt;
      bytes.push_back(static_cast<std::uint8_t>(byte.get<std::uint64_t>()));
    }
    return bytes;
  }
  return std::nullopt;
}

}  // namespace

Json MaterialRecordJson(const MaterialRecord& material) {
  Json leaves = Json::array();
  bool finite = true;
  for (const MaterialLeaf& leaf : material.leaves) {
    Json entry{{kName, leaf.name}};
    std::visit(
        [&](const auto& held) {
          using Held = std::decay_t<decltype(held)>;
          if constexpr (std::is_same_v<Held, std::string>) {
            entry[kText] = held;
          } else if constexpr (std::is_same_v<Held, MaterialColour>) {
            finite = finite && Finite(held[0]) && Finite(held[1]) && Finite(held[2]);
            entry[kColour] = {double{held[0]}, double{held[1]}, double{held[2]}};
          } else if constexpr (std::is_same_v<Held, float>) {
            finite = finite && Finite(held);
            entry[kNumber] = double{held};
          } else if constexpr (std::is_same_v<Held, std::uint32_t>) {
            entry[kFlags] = held;
          } else {
            entry[kBytes] = held;
          }
        },
        leaf.value);
    leaves.push_back(std::move(entry));
  }
  if (!finite) return nullptr;
  return Json{{kType, material.type}, {kLeaves, std::move(leaves)}};
}

std::optional<MaterialRecord> MaterialRecordOfJson(const Json& json, const std::string& name) {
  if (!json.is_object() || !json.contains(kType) || !json[kType].is_string() ||
      !json.contains(kLeaves) || !json[kLeaves].is_array()) {
    return std::nullopt;
  }
  MaterialRecord material{name, json[kType].get<std::string>(), {}};
  for (const Json& leaf : json[kLeaves]) {
    if (!leaf.is_object() || !leaf.contains(kName) || !leaf[kName].is_string()) return std::nullopt;
    std::optional<MaterialLeafValue> value = ValueOf(leaf);
    if (!value) return std::nullopt;
    material.leaves.push_back({leaf[kName].get<std::string>(), std::move(*value)});
  }
  return material;
}

}  // namespace svcmp
