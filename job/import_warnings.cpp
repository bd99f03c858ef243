#include "job/import_warnings.h"

#include <algorithm>
#include <cmath>

#include "cmp/cmp_assembly.h"

namespace svcmp {
namespace {

// The scale-down divisors the export accepts.
constexpr long kSmallestDivisor = 1;
constexpr long kLargestDivisor = 100;

std::string NamedHardpointMisfits(const MeshList& meshList) {
  std::vector<std::string> names;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint && !NamesWrittenHardpoint(mesh.meshName)) {
      names.push_back("\"" + mesh.meshName + "\"");
    }
  }
  if (names.empty()) return "";
  std::string list = names[0];
  for (std::size_t i = 1; i < names.size(); ++i) list += ", " + names[i];
  const bool one = names.size() == 1;
  return std::string(one ? "mesh " : "meshes ") + list + (one ? " begins" : " begin") +
         " with \"hp\" but names neither a fixed nor a revolute hardpoint, so the export leaves " +
         (one ? "it" : "them") + " out; rename " + (one ? "it" : "them") +
         " (hardpoints are named like Hp_Fixed_HpGun01 or Hp_Revolute_HpTurret01)";
}

std::string SizeMisfit(const ModelTotals& totals, int scaleDivisor) {
  const auto plausible = [](double size) {
    return size >= kSmallestExtent && size <= kLargestExtent;
  };
  const float across = *std::max_element(totals.extent.begin(), totals.extent.end());
  if (totals.geometryMeshes == 0 || plausible(across)) return "";
  // The divisor nearest the typical size; clamped, it gives the largest or
  // the smallest size any divisor can, so if that misses the range, all do.
  const double hostSize = static_cast<double>(across) * scaleDivisor;
  const int suggested = static_cast<int>(
      std::clamp(std::lround(hostSize / kTypicalExtent), kSmallestDivisor, kLargestDivisor));
  const double sizeThen = hostSize / suggested;
  const std::string text = "the model measures " + UnitsText(across) + " units across at --scale " +
                           std::to_string(scaleDivisor) +
                           ", outside a ship's or station's size (1 to 5,000 units); ";
  if (!plausible(sizeThen)) {
    return text +
           "no --scale from 1 to 100 brings it within that, so scale the model in the "
           "modelling tool";
  }
  return text + "--scale " + std::to_string(suggested) + " makes it " +
         UnitsText(static_cast<float>(sizeThen)) + " units";
}

}  // namespace

std::vector<std::string> JudgeImportedModel(const MeshList& meshList, const ModelTotals& totals,
                                            int scaleDivisor, HardpointSource hardpoints) {
  std::vector<std::string> warnings;
  const std::string misfits =
      hardpoints == HardpointSource::MeshNames ? NamedHardpointMisfits(meshList) : "";
  for (std::string warning : {misfits, SizeMisfit(totals, scaleDivisor)}) {
    if (!warning.empty()) warnings.push_back(std::move(warning));
  }
  return warnings;
}

}  // namespace svcmp
