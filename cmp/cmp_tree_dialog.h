#pragma once

#include <filesystem>
#include <string>
#include <utility>

#include "cmp/assembly_extras.h"
#include "plugin/mesh_records.h"
#include "plugin/user_message.h"
#include "ui/export_mode.h"
#include "utf/utf_tree.h"

namespace svcmp {

// What the export driver hands the result window before it is shown. The
// lists and summary stay the driver's; the window stores node handles in the
// groups, which are invalid once the window has closed.
struct CmpAssemblyInputs {
  MeshList* meshList = nullptr;
  GroupList* groupList = nullptr;
  ExportMode exportMode = kNoExportMode;
  std::filesystem::path filePath;  // the ".cmp" file read and written
  const MeshDataSummary* summary = nullptr;
  int levelOfDetail = 0;
  int groupCount = 1;
  std::filesystem::path meshBufferPath;  // "___temp.vms", read whole and removed
  DataBlock meshBuffer;                  // when set, the buffer itself; no file is read
  AssemblyExtras extras;                 // none from the plug-in
};

enum class CmpAssemblyStatus {
  NotRun,
  Written,        // the file holds the tree shown
  Staged,         // the extras' staged image holds the tree shown; no file was written
  UpdateRefused,  // the existing file could not be read; it is untouched and nothing is shown
  WriteFailed,    // the tree was built and is shown, but the file could not be written
};

// The result window's logic: builds or updates the tree and writes the file
// while it initialises, then holds the tree for the view until it closes.
class CmpTreeDialog {
 public:
  CmpTreeDialog(CmpAssemblyInputs inputs, ShowMessageFn showMessage);

  // cmptool's additions to the plug-in's output, given before Initialise.
  void UseExtras(AssemblyExtras extras) { inputs_.extras = std::move(extras); }

  // Runs the whole assembly once. Problems are reported through showMessage
  // (the reader's compression note, a refused update, a failed write).
  CmpAssemblyStatus Initialise();

  CmpAssemblyStatus Status() const { return status_; }
  // The ".cmp" file read and written.
  const std::filesystem::path& FilePath() const { return inputs_.filePath; }
  // Whether there is a tree to show: false when the update was refused.
  bool HasTree() const {
    return status_ == CmpAssemblyStatus::Written || status_ == CmpAssemblyStatus::Staged ||
           status_ == CmpAssemblyStatus::WriteFailed;
  }
  const UtfTree& Tree() const { return tree_; }

  // Every way of closing the window: releases the tree and its data.
  void Close();

 private:
  CmpAssemblyInputs inputs_;
  ShowMessageFn showMessage_;
  UtfTree tree_;
  CmpAssemblyStatus status_ = CmpAssemblyStatus::NotRun;
};

// The mesh library entry's name: the first captured mesh's name + ".lod0.vms",
// ".lod1.vms" or ".lod2.vms" (".lod0.vms" for any level but 1 and 2).
std::string MeshLibraryName(const std::string& firstMeshName, int levelOfDetail);
// The same after `prefix` and a dot, when a prefix is given.
std::string MeshLibraryName(const std::string& prefix, const std::string& firstMeshName,
                            int levelOfDetail);

}  // namespace svcmp
