#pragma once

#include <string>
#include <vector>

#include "job/model_totals.h"
#include "plugin/mesh_records.h"

namespace svcmp {

// Size limits beyond which a model is not what the modder meant, and the
// size a divisor is suggested for.
inline constexpr float kSmallestExtent = 1.0f;
inline constexpr float kLargestExtent = 5000.0f;
inline constexpr float kTypicalExtent = 20.0f;

// How the export finds the model's hardpoints: by their mesh names alone, or
// from the node tree (names and properties, kinds from the properties).
enum class HardpointSource { MeshNames, NodeTree };

// Warnings about a model read from a model file, as the export sees it at
// scaleDivisor: meshes named like hardpoints that are neither fixed nor
// revolute (the export leaves them out; only where names alone decide), and
// a size far from any ship's.
[[nodiscard]] std::vector<std::string> JudgeImportedModel(const MeshList& meshList,
                                                          const ModelTotals& totals,
                                                          int scaleDivisor,
                                                          HardpointSource hardpoints);

}  // namespace svcmp
