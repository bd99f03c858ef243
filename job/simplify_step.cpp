#include "job/simplify_step.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "import/import_messages.h"
#include "plugin/export_checks.h"
#include "plugin/model_capture.h"
#include "simplify/level_reuse.h"
#include "simplify/mesh_simplifier.h"
#include "simplify/surface_check.h"
#include "ui/dialog_texts.h"

namespace svcmp {
namespace {

// "level 1: " before a level's lines, nothing for a plain export.
std::string Prefix(const std::string& levelName) {
  return levelName.empty() ? std::string() : levelName + ": ";
}

std::string RelativeErrorInParentheses(double error) {
  char text[48];
  std::snprintf(text, sizeof text, " (relative error %.3g%%)", 100.0 * error);
  return text;
}

const std::vector<SplitMesh>& Splits(const SimplifyPlan& plan) {
  static const std::vector<SplitMesh> kNone;
  return plan.splits != nullptr ? *plan.splits : kNone;
}

// While it lives, the held meshes pass for hardpoints, which the
// simplification and the level reuse never touch. Hardpoints are known by
// their names, so the flags come off even where joined pieces moved meshes.
class HeldMeshes {
 public:
  HeldMeshes(MeshList& meshList, const std::vector<bool>* held) : meshList_(meshList) {
    for (std::size_t m = 0; held != nullptr && m < meshList.size() && m < held->size(); ++m) {
      if ((*held)[m]) meshList[m].isHardpoint = true;
    }
  }
  HeldMeshes(const HeldMeshes&) = delete;
  HeldMeshes& operator=(const HeldMeshes&) = delete;
  ~HeldMeshes() {
    for (MeshRecord& mesh : meshList_) mesh.isHardpoint = IsHardpointName(mesh.meshName);
  }

 private:
  MeshList& meshList_;
};

}  // namespace

bool SimplifyingMakesFit(const MeshList& meshList, const std::optional<std::string>& refusal) {
  if (!refusal || !SimplifierAvailable()) return false;
  // Simplifying reduces vertices and triangles, never the number of meshes.
  return GeometryMeshCount(meshList) <= kMaxMeshBufferCount &&
         refusal == CheckMeshBufferLimits(meshList);
}

SimplifyStep::SimplifyStep(SimplifyPlan plan) : plan_(std::move(plan)) {}

bool SimplifyStep::Run(MeshList& meshList, const ExportSettings& settings, ExportUi& ui) {
  if (plan_.simplify) {
    Simplify(meshList);
  } else if (const auto refusal = LargeMeshRefusal(meshList)) {
    ui.ShowMessage(*refusal, kWarningCaption, MessageIcon::Exclamation);
    return false;
  } else if (const auto refusal =
                 CheckExportable(meshList, settings.GroupCount, settings.GroupQuantities);
             SimplifyingMakesFit(meshList, refusal)) {
    ui.ShowMessage(*refusal + " " + kSimplifyAdvice, kWarningCaption, MessageIcon::Exclamation);
    return false;
  }
  Finish(meshList);
  return true;
}

void SimplifyStep::Apply(MeshList& meshList) {
  if (plan_.simplify) Simplify(meshList);
  Finish(meshList);
}

void SimplifyStep::Finish(MeshList& meshList) {
  if (plan_.previousLevel != nullptr && !keptWhole_) {
    const HeldMeshes held(meshList, plan_.heldMeshes);
    TakeUnreducedMeshes(meshList);
  }
  if (plan_.exported != nullptr) *plan_.exported = meshList;
}

void SimplifyStep::Simplify(MeshList& meshList) {
  const HeldMeshes held(meshList, plan_.heldMeshes);
  keptWhole_ = false;
  const std::size_t captured = GeometryTriangleCount(meshList);
  std::size_t target = captured;
  if (plan_.share) {
    const std::size_t whole =
        plan_.shareOf != nullptr ? GeometryTriangleCount(*plan_.shareOf) : captured;
    target = static_cast<std::size_t>(std::llround(*plan_.share * static_cast<double>(whole)));
  } else if (CheckMeshBufferLimits(meshList)) {
    target = kFitTriangleTarget;
  }
  report_ = plan_.share ? SimplifyWithoutDefects(meshList, target)
                        : SimplifyGeometry(meshList, target, Splits(plan_), true);
  if (!report_) return;  // the geometry kept as it was, which was said
  const SimplifyReport& report = *report_;
  if (report.relaxed != Relaxation::None) {
    plan_.ui->Warn(Prefix(plan_.levelName) +
                   (report.relaxed == Relaxation::TextureSeams
                        ? "the texture seams and the borders between meshes kept the model above "
                          "21,845 triangles; they were let go, so textures may stretch along them"
                        : "the seams, borders and shapes of the meshes kept the model above "
                          "21,845 triangles; a coarse pass merged nearby vertices, so small "
                          "details may be lost"));
  }
  if (!plan_.report) return;
  if (report.trianglesAfter == report.trianglesBefore && !plan_.share) {
    plan_.ui->Note(Prefix(plan_.levelName) +
                   "the model fits the mesh buffer; nothing simplified (" + Grouped(captured) +
                   " triangles)");
    return;
  }
  plan_.ui->Note(Prefix(plan_.levelName) + "simplified the geometry from " +
                 Grouped(report.trianglesBefore) + " to " + Grouped(report.trianglesAfter) +
                 " triangles" + RelativeErrorInParentheses(report.relativeError));
}

std::optional<SimplifyReport> SimplifyStep::SimplifyWithoutDefects(MeshList& meshList,
                                                                   std::size_t target) {
  // Each try gives back half of the triangles the one before gave up; a
  // level never gets more than the one before it.
  constexpr int kTries = 6;
  const MeshList source = meshList;
  const std::size_t ceiling = plan_.previousLevel != nullptr
                                  ? GeometryTriangleCount(*plan_.previousLevel)
                                  : GeometryTriangleCount(source);
  std::size_t aim = target;
  if (aim >= ceiling && plan_.previousLevel != nullptr) {
    // The level before is already as coarse as this one may be.
    keptWhole_ = true;
    TakePreviousGeometry(meshList);
    return std::nullopt;
  }
  for (int attempt = 1; attempt <= kTries && aim < ceiling; ++attempt) {
    const SimplifyReport report = SimplifyGeometry(meshList, aim, Splits(plan_), false);
    if (FindSurfaceDefects(meshList, source).None()) {
      if (aim != target) {
        plan_.ui->Warn(Prefix(plan_.levelName) + "kept " + Grouped(report.trianglesAfter) +
                       " triangles rather than about " + Grouped(target) +
                       ": fewer would open holes in the surface or turn faces inside out");
      }
      return report;
    }
    meshList = source;
    aim += (ceiling - aim + 1) / 2;
  }
  keptWhole_ = true;
  const std::string kept = plan_.previousLevel != nullptr
                               ? plan_.previousLevelName + "'s geometry"
                               : "all " + Grouped(ceiling) + " triangles";
  plan_.ui->Warn(Prefix(plan_.levelName) +
                 "fewer triangles would open holes in the surface or turn faces inside out; it "
                 "keeps " +
                 kept);
  if (plan_.previousLevel != nullptr) TakePreviousGeometry(meshList);
  return std::nullopt;
}

std::optional<std::string> SimplifyStep::LargeMeshRefusal(const MeshList& meshList) const {
  const std::vector<SplitMesh>& splits = Splits(plan_);
  if (splits.empty()) return std::nullopt;
  std::string refusal = "mesh \"" + meshList[splits.front().firstPiece].meshName + "\"" +
                        import_messages::kTooManyVertices + ".";
  if (SimplifierAvailable()) refusal += std::string(" ") + kSimplifyAdvice;
  return refusal;
}

void SimplifyStep::TakePreviousGeometry(MeshList& meshList) const {
  const MeshList& previous = *plan_.previousLevel;
  if (plan_.heldMeshes == nullptr) {
    meshList = previous;
    return;
  }
  for (std::size_t m = 0; m < meshList.size() && m < previous.size(); ++m) {
    if (!meshList[m].isHardpoint && !previous[m].isHardpoint) meshList[m] = previous[m];
  }
}

void SimplifyStep::TakeUnreducedMeshes(MeshList& meshList) const {
  const std::vector<std::size_t> taken = TakeUnreducedFromPrevious(meshList, *plan_.previousLevel);
  if (taken.empty()) return;
  std::string what = "the model";
  if (taken.size() < GeometryMeshCount(meshList)) {
    what.clear();
    for (const std::size_t m : taken)
      what += (what.empty() ? "\"" : ", \"") + meshList[m].meshName + "\"";
  }
  plan_.ui->Warn(Prefix(plan_.levelName) + "the simplification cannot reduce " + what +
                 " any further; " +
                 (taken.size() == 1 || what == "the model" ? "it keeps " : "they keep ") +
                 plan_.previousLevelName + "'s geometry");
}

}  // namespace svcmp
