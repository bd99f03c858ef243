// Feeds arbitrary bytes to the compound model decoders: as a whole UTF file
// (with the summary and the checker behind them) and, so the fuzzer need not
// find a UTF wrapper first, straight to the leaf decoders. Whatever they
// accept must keep the promises a renderer relies on.
#include <cstdint>
#include <cstdlib>

#include "inspect/compound_model.h"
#include "inspect/joint_decoder.h"
#include "inspect/mesh_buffer_decoder.h"
#include "inspect/mesh_ref_decoder.h"
#include "inspect/model_checks.h"
#include "inspect/model_summary.h"
#include "utf/utf_reader.h"

namespace {

void CheckBuffer(const svcmp::MeshBuffer& buffer) {
  for (const svcmp::BufferMesh& mesh : buffer.meshes) {
    if (mesh.firstIndex + mesh.indexCount > buffer.indices.size()) std::abort();
  }
}

void CheckModel(const svcmp::CompoundModel& model) {
  for (const auto& library : model.libraries) {
    if (library.buffer) CheckBuffer(*library.buffer);
  }
  for (const auto& part : model.parts) {
    for (const auto& level : part.levels) {
      for (const auto& ref : level.meshRefs) {
        const auto* library = model.FindLibrary(ref.libraryId);
        if (library == nullptr || !library->buffer) continue;
        for (const auto& [mesh, first] : svcmp::MeshesOfRef(ref, *library->buffer)) {
          if (first + mesh->VertexCount() > library->buffer->vertices.size()) std::abort();
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  svcmp::Findings findings;
  if (auto buffer = svcmp::DecodeMeshBuffer(bytes, "/", findings)) CheckBuffer(*buffer);
  (void)svcmp::DecodeMeshRef(bytes, "/", findings);
  std::vector<svcmp::Joint> joints;
  for (auto kind : {svcmp::JointKind::Fix, svcmp::JointKind::Rev, svcmp::JointKind::Sphere}) {
    svcmp::DecodeJointList(kind, bytes, "/", joints, findings);
  }

  svcmp::UtfTree tree;
  if (svcmp::ReadUtfBytes(bytes, tree, nullptr).ok()) {
    const svcmp::CompoundModel model = svcmp::DecodeCompoundModel(tree);
    CheckModel(model);
    (void)svcmp::SummarizeModel(model);
    (void)svcmp::CheckModels({{"a", &model}, {"b", &model}});
  }
  return 0;
}
