#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include "format/material_record.h"

// The game's material as JSON, the way it travels in a glTF material's
// extras and in the scene document: its type and its leaves in order, each
// with its kind, floats as doubles that read back as the same floats.
namespace svcmp {

// The extras key that holds the material.
inline constexpr char kMaterialExtrasKey[] = "svcmp_material";

// Null when a number is not finite, which JSON cannot hold.
nlohmann::ordered_json MaterialRecordJson(const MaterialRecord& material);

// The material of `json`, named `name`; none when it is not one
// MaterialRecordJson writes (an edited or foreign extras entry).
std::optional<MaterialRecord> MaterialRecordOfJson(const nlohmann::ordered_json& json,
                                                   const std::string& name);

}  // namespace svcmp
