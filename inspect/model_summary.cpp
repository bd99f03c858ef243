#include "inspect/model_summary.h"

#include <algorithm>
#include <cstdio>

#include "inspect/node_lookup.h"
#include "inspect/wire_decoder.h"

namespace svcmp {
namespace {

std::string HexId(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(id));
  return text;
}

const Joint* JointOf(const CompoundModel& model, const Part& part) {
  return part.objectName.empty() ? nullptr : FindJointOfChild(model, part.objectName);
}

MeshRefSummary SummarizeRef(const CompoundModel& model, int level, const MeshRef& ref) {
  MeshRefSummary summary{level, &ref, model.FindLibrary(ref.libraryId), {}};
  if (summary.library == nullptr || !summary.library->buffer) return summary;
  for (const RefMesh& mesh : MeshesOfRef(ref, *summary.library->buffer)) {
    const std::uint32_t id = mesh.mesh->materialId;
    if (std::ranges::find(summary.materialIds, id) == summary.materialIds.end()) {
      summary.materialIds.push_back(id);
    }
  }
  return summary;
}

}  // namespace

ModelSummary SummarizeModel(const CompoundModel& model) {
  ModelSummary summary;
  ModelTotals& totals = summary.totals;
  totals.parts = model.parts.size();
  totals.libraries = model.libraries.size();
  totals.joints = model.joints.size();
  for (const Part& part : model.parts) {
    PartSummary partSummary{&part, JointOf(model, part), {}, nullptr, std::nullopt};
    if (part.wire) {
      partSummary.wire = &*part.wire;
      if (const auto target = FindWireTarget(part, *part.wire))
        partSummary.wireLevel = target->level->number;
    }
    for (const Level& level : part.levels) {
      for (const MeshRef& ref : level.meshRefs) {
        partSummary.meshRefs.push_back(SummarizeRef(model, level.number, ref));
        ++totals.meshRefs;
        totals.meshes += ref.meshCount;
        totals.vertices += ref.vertexCount;
        totals.triangles += ref.indexCount / 3;
      }
    }
    totals.hardpoints += part.hardpoints.size();
    summary.parts.push_back(std::move(partSummary));
  }
  return summary;
}

const Joint* FindJointOfChild(const CompoundModel& model, std::string_view child) {
  for (const Joint& joint : model.joints) {
    if (SameNameNoCase(joint.child, child)) return &joint;
  }
  return nullptr;
}

std::string MaterialName(const CompoundModel& model, std::uint32_t id) {
  const auto found = model.materialNames.find(id);
  return found != model.materialNames.end() ? found->second : HexId(id);
}

std::string LibraryName(const MeshRefSummary& summary) {
  return summary.library ? summary.library->name : HexId(summary.ref->libraryId);
}

}  // namespace svcmp
