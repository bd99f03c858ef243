#include "exporter/cmp_exporter_plugin.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "cmp/cmp_tree_dialog.h"
#include "exporter/export_messages.h"
#include "plugin/export_checks.h"
#include "plugin/mesh_buffer.h"
#include "plugin/model_capture.h"

namespace svcmp {
namespace {

// Writes the mesh buffer file; false (with the partial file removed) when it
// could not be created or not written whole, since a short buffer would put
// a broken mesh into the model without anyone noticing.
bool WriteMeshBufferFile(const std::filesystem::path& path,
                         const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return false;
}

}  // namespace

CmpExporterPlugIn::CmpExporterPlugIn(ExportUi& ui,
                                     std::optional<std::filesystem::path> meshBufferFile,
                                     CapturedMeshesStep* capturedMeshesStep)
    : ui_(ui), meshBufferFile_(std::move(meshBufferFile)), capturedMeshesStep_(capturedMeshesStep) {
  std::memset(title_, 0, sizeof(title_));
  static_assert(sizeof(kPlugInTitle) <= sizeof(title_));
  std::memcpy(title_, kPlugInTitle, sizeof(kPlugInTitle));
}

void* CmpExporterPlugIn::ScalarDeletingDestructor(unsigned flags) {
  this->~CmpExporterPlugIn();
  if (flags & 1u) ::operator delete(this);
  return this;
}

int CmpExporterPlugIn::GetType() { return kExporterPlugInType; }

const char* CmpExporterPlugIn::GetTitle() { return title_; }

int CmpExporterPlugIn::Execute(msModel* model) {
  if (model == nullptr) return -1;
  if (msModel_GetMeshCount(model) == 0) {
    ui_.ShowMessage(messages::kEmptyModel, messages::kEmptyModelCaption, MessageIcon::Exclamation);
    return 0;
  }

  ExportSettings settings;  // the defaults
  ExportMode mode = kNoExportMode;
  ui_.ChooseExportMode(mode);
  if (mode == kNoExportMode) {
    ui_.ShowMessage(messages::kNoFileOption, kWarningCaption, MessageIcon::Exclamation);
    return 0;
  }

  std::string path;
  if (!ui_.ChooseCmpPath(mode, path)) return 0;
  std::error_code ignored;
  if (mode == UpdateExisting && !std::filesystem::exists(path, ignored)) mode = CreateNew;

  ui_.EditSettings(settings);

  // Capture takes all the export needs of the model, which goes at once: a
  // large model is not held beside its captured meshes.
  MeshList meshList =
      CaptureModel(model, settings.ScaleDivisor, OrientationSignOf(settings.OrientationMode));
  msModel_Destroy(model);
  if (!GroupQuantitiesMatch(meshList, settings.GroupCount, settings.GroupQuantities)) {
    ui_.ShowMessage(messages::kGroupMismatch, kWarningCaption, MessageIcon::Exclamation);
    return -1;
  }
  if (capturedMeshesStep_ != nullptr && !capturedMeshesStep_->Run(meshList, settings, ui_))
    return -1;
  if (const auto problem =
          CheckExportable(meshList, settings.GroupCount, settings.GroupQuantities)) {
    ui_.ShowMessage(*problem, kWarningCaption, MessageIcon::Exclamation);
    return -1;
  }

  MeshDataSummary summary;
  GroupList groupList;
  std::vector<std::uint8_t> meshBuffer =
      BuildMeshBuffer(meshList, settings.GroupCount, settings.GroupQuantities, summary, groupList);
  if (meshBufferFile_ && !WriteMeshBufferFile(*meshBufferFile_, meshBuffer)) {
    ui_.ShowMessage(messages::kTempFileNotCreated, messages::kTempFileCaption, MessageIcon::Error);
    return -1;
  }

  CmpAssemblyInputs inputs;
  inputs.meshList = &meshList;
  inputs.groupList = &groupList;
  inputs.exportMode = mode;
  inputs.filePath = path;
  inputs.summary = &summary;
  inputs.levelOfDetail = settings.LodLevel;
  inputs.groupCount = settings.GroupCount;
  if (meshBufferFile_) {
    inputs.meshBufferPath = *meshBufferFile_;
  } else {
    inputs.meshBuffer = std::move(meshBuffer);
  }
  CmpTreeDialog dialog(inputs, [this](const std::string& text, const std::string& caption,
                                      MessageIcon icon) { ui_.ShowMessage(text, caption, icon); });
  ui_.ShowResult(dialog);
  // A window that never initialised leaves the buffer file behind and writes nothing.
  if (meshBufferFile_) std::filesystem::remove(*meshBufferFile_, ignored);
  return dialog.Status() == CmpAssemblyStatus::Written ? 0 : -1;
}

}  // namespace svcmp
