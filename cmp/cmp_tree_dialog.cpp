#include "cmp/cmp_tree_dialog.h"

#include <cstdint>
#include <system_error>
#include <utility>
#include <vector>

#include "cmp/cmp_assembly.h"
#include "cmp/cmp_messages.h"
#include "format/cmp_node_names.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

// "The file \"PATH\" WHAT: REASON. TAIL"
std::string FileSentence(const std::filesystem::path& path, std::string_view what,
                         std::string_view reason, std::string_view tail) {
  return std::string(kFileSentenceStart) + path.string() + std::string(kFileSentencePathEnd) +
         std::string(what) + ": " + std::string(reason) + std::string(tail);
}

// A file that is missing or empty holds nothing to lose: the update builds
// from an empty tree. Anything else must be read in full or left alone.
bool HoldsData(const std::filesystem::path& path) {
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (error) return true;  // cannot tell: let the read decide and report
  if (!exists) return false;
  const auto size = std::filesystem::file_size(path, error);
  return error || size != 0;
}

}  // namespace

const MeshList& InputMeshes(const CmpAssemblyInputs& inputs) {
  static const MeshList kNoMeshes;
  return inputs.meshList ? *inputs.meshList : kNoMeshes;
}

const MeshDataSummary& InputSummary(const CmpAssemblyInputs& inputs) {
  static const MeshDataSummary kNoSummary;
  return inputs.summary ? *inputs.summary : kNoSummary;
}

std::string MeshLibraryName(const std::string& firstMeshName, int levelOfDetail) {
  return firstMeshName + std::string(kLibrarySuffixes[LevelIndex(levelOfDetail)]);
}

std::string MeshLibraryName(const std::string& prefix, const std::string& firstMeshName,
                            int levelOfDetail) {
  const std::string name = MeshLibraryName(firstMeshName, levelOfDetail);
  return prefix.empty() ? name : prefix + "." + name;
}

MeshRefShape SinglePartShape(const CmpAssemblyInputs& inputs) {
  if (!inputs.extras.exactBounds) return PlainMeshRefShape(InputSummary(inputs).bounds);
  return ExactMeshRefShape(InputMeshes(inputs), 0, InputMeshes(inputs).size());
}

MeshRefShape GroupShape(const CmpAssemblyInputs& inputs, const MeshGroup& group) {
  if (!inputs.extras.exactBounds) return PlainMeshRefShape(group.bounds);
  return ExactMeshRefShape(InputMeshes(inputs), group.startMesh, group.meshCount);
}

HardpointRows HardpointRowsOf(const CmpAssemblyInputs& inputs) {
  return inputs.extras.unitRotations ? HardpointRows::Unit : HardpointRows::AsPlugIn;
}

CmpTreeDialog::CmpTreeDialog(CmpAssemblyInputs inputs, ShowMessageFn showMessage)
    : inputs_(std::move(inputs)), showMessage_(std::move(showMessage)) {}

CmpAssemblyStatus CmpTreeDialog::Initialise() {
  tree_.ReleaseAll();
  std::vector<std::uint8_t>* staged = inputs_.extras.stagedImage;
  const bool fromStaged = staged != nullptr && !staged->empty();
  // A staged image stands for the file: the driver, which saw no file yet,
  // chose a new one, but the levels before have made it here.
  if (fromStaged) inputs_.exportMode = UpdateExisting;
  const bool update = inputs_.exportMode == UpdateExisting;
  if (update && (fromStaged || HoldsData(inputs_.filePath))) {
    const CompressionWarning onCompression = [this](const std::string& nodeName) {
      showMessage_(std::string(kCompressionNote), nodeName, MessageIcon::None);
    };
    const UtfReadResult read = fromStaged ? ReadUtfBytes(*staged, tree_, onCompression)
                                          : ReadUtfFile(inputs_.filePath, tree_, onCompression);
    if (!read.ok()) {
      // Overwriting a file we could not read would destroy the user's model.
      tree_.ReleaseAll();
      std::error_code ignored;
      std::filesystem::remove(inputs_.meshBufferPath, ignored);
      showMessage_(
          FileSentence(inputs_.filePath, kUpdateRefusedHead,
                       read.reason.empty() ? kUnreadableReason : read.reason, kUpdateRefusedTail),
          std::string(kWarningCaption), MessageIcon::Exclamation);
      return status_ = CmpAssemblyStatus::UpdateRefused;
    }
  }

  static const MeshRecord kNoMesh;
  const MeshList& meshList = InputMeshes(inputs_);
  const MeshRecord& firstMesh = meshList.empty() ? kNoMesh : meshList.front();
  const std::string libraryName =
      MeshLibraryName(inputs_.extras.libraryPrefix, firstMesh.meshName, inputs_.levelOfDetail);
  if (update) {
    UpdateCmp(tree_, inputs_, libraryName, firstMesh);
  } else {
    BuildNewCmp(tree_, inputs_, libraryName, firstMesh);
  }
  if (inputs_.extras.addLibraries) inputs_.extras.addLibraries(tree_, meshList);

  const bool stage = staged != nullptr && inputs_.extras.stageOnly;
  UtfWriteResult stored;
  if (stage) {
    UtfImageResult image = MakeUtfImage(tree_);
    stored = {image.bytes.has_value(), std::move(image.reason)};
    if (image.bytes) *staged = std::move(*image.bytes);
  } else {
    stored = WriteUtfFile(tree_, inputs_.filePath);
  }
  if (!stored.written) {
    showMessage_(FileSentence(inputs_.filePath, kWriteFailedHead, stored.reason, kWriteFailedTail),
                 std::string(kWriteErrorCaption), MessageIcon::Error);
    return status_ = CmpAssemblyStatus::WriteFailed;
  }
  return status_ = stage ? CmpAssemblyStatus::Staged : CmpAssemblyStatus::Written;
}

void CmpTreeDialog::Close() { tree_.ReleaseAll(); }

}  // namespace svcmp
