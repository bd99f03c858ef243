// wine_scenarios NAME PLUGIN.dll MODEL.json WORKDIR [EXPECTED.cmp] [BASE.cmp]
// Runs one export of MODEL through the plug-in while a second thread plays
// the user, then checks what the user saw and what landed on disk. Exits 0
// when every check passed; prints the first failure and exits 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "host/model_document.h"
#include "tests/wine/automation.h"
#include "ui/control_ids.h"
#include "utf/file_io.h"
#include "utf/utf_reader.h"
#include "win32/plugin_loader.h"

namespace svcmp::wine {
namespace {

namespace fs = std::filesystem;

constexpr char kFileOptionsCaption[] = "SV CMP File Options";
constexpr char kOptionsCaption[] = "Level Of Detail, Scale etc.";
constexpr char kResultCaption[] = "Starvane CMP";
constexpr char kExportTitle[] = "Export SV CMP";
constexpr char kUpdateTitle[] = "Update Existing SV CMP File";
constexpr int kResultTreeView = 8002;

struct Run {
  const Driver& driver;
  fs::path work;      // the scenario's own folder, also the current directory
  fs::path expected;  // what cmptool wrote for the same export, when given
  fs::path base;      // the file an update starts from, when given
  fs::path Output() const { return work / "ship.cmp"; }
  std::string Shot(const std::string& name) const { return (work / (name + ".bmp")).string(); }
};

std::vector<std::uint8_t> Bytes(const fs::path& path) {
  FileReadResult read = ReadWholeFile(path);
  Check(read.bytes.has_value(), "cannot read " + path.string());
  return {read.bytes->begin(), read.bytes->end()};
}

void CheckSameBytes(const fs::path& written, const fs::path& expected) {
  Check(fs::exists(written), written.string() + " was not written");
  Check(Bytes(written) == Bytes(expected),
        written.string() + " differs from cmptool's " + expected.string());
}

// The file's tree as "depth:name" in pre-order, the order the window shows.
std::vector<std::string> FileTree(const fs::path& path) {
  UtfTree tree;
  Check(ReadUtfFile(path, tree, [](const std::string&) {}).ok(), "cannot read back " + path.string());
  std::vector<std::string> items;
  std::vector<std::pair<UtfNode, int>> pending;
  if (UtfNode root = tree.Root()) pending.emplace_back(root, 0);
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    items.push_back(std::to_string(depth) + ":" + tree.Name(node));
    if (UtfNode next = tree.NextSibling(node)) pending.emplace_back(next, depth);
    if (UtfNode child = tree.FirstChild(node)) pending.emplace_back(child, depth + 1);
  }
  return items;
}

// The result window shows the written file's tree, collapsed, and the file
// is on disk before "Continue"; then `close` ends it.
void CheckResultWindow(const Run& run, const std::function<void(HWND)>& close) {
  const HWND result = run.driver.WaitForDialog(kResultCaption);
  run.driver.Screenshot(result, run.Shot("result-window"));
  Check(fs::exists(run.Output()), "the file is not on disk while the result window shows");
  bool expanded = false;
  const std::vector<std::string> shown = run.driver.TreeItems(result, kResultTreeView, expanded);
  Check(shown == FileTree(run.Output()), "the result window's items are not the file's tree");
  Check(!expanded, "the result window opened with an expanded item");
  close(result);
  run.driver.WaitGone(result);
}

void PressContinue(const Run& run, HWND dialog) { run.driver.Click(dialog, kIdCancel); }

struct Scenario {
  int expectedResult;
  std::function<void(const Run&)> drive;
  std::function<void(const Run&)> check;
};

// Enter, the save dialog, "Continue": a new file, byte for byte cmptool's.
Scenario Defaults() {
  return {0,
          [](const Run& run) {
            const HWND fileOptions = run.driver.WaitForDialog(kFileOptionsCaption);
            run.driver.Screenshot(fileOptions, run.Shot("file-options"));
            run.driver.Command(fileOptions, kIdOk);  // Enter: the default button
            run.driver.AnswerFileDialog(kExportTitle, run.Output().string());
            const HWND options = run.driver.WaitForDialog(kOptionsCaption);
            run.driver.Screenshot(options, run.Shot("options"));
            PressContinue(run, options);
            CheckResultWindow(run, [&](HWND result) { PressContinue(run, result); });
          },
          [](const Run& run) { CheckSameBytes(run.Output(), run.expected); }};
}

// Escape, the open dialog naming an existing file, "Level 1": the update.
Scenario UpdateLevel1() {
  return {0,
          [](const Run& run) {
            fs::copy_file(run.base, run.Output(), fs::copy_options::overwrite_existing);
            run.driver.Command(run.driver.WaitForDialog(kFileOptionsCaption), kIdCancel);
            run.driver.AnswerFileDialog(kUpdateTitle, run.Output().string());
            const HWND options = run.driver.WaitForDialog(kOptionsCaption);
            run.driver.Click(options, kIdLevel1);
            run.driver.Click(options, kIdCancel);
            CheckResultWindow(run, [&](HWND result) { run.driver.Command(result, kIdOk); });
          },
          [](const Run& run) { CheckSameBytes(run.Output(), run.expected); }};
}

// The close box on the file options chooses an update; a name that does not
// exist then builds a new file.
Scenario UpdateMissingFile() {
  return {0,
          [](const Run& run) {
            run.driver.CloseBox(run.driver.WaitForDialog(kFileOptionsCaption));
            run.driver.AnswerFileDialog(kUpdateTitle, run.Output().string());
            const HWND options = run.driver.WaitForDialog(kOptionsCaption);
            run.driver.CloseBox(options);
            CheckResultWindow(run, [&](HWND result) { run.driver.Command(result, kIdCancel); });
          },
          [](const Run& run) { CheckSameBytes(run.Output(), run.expected); }};
}

// Cancelling the save dialog ends the export silently.
Scenario CancelSave() {
  return {0,
          [](const Run& run) {
            run.driver.Command(run.driver.WaitForDialog(kFileOptionsCaption), kIdOk);
            run.driver.CancelFileDialog(kExportTitle);
          },
          [](const Run& run) {
            Check(!fs::exists(run.Output()), "a cancelled export wrote a file");
            Check(!fs::exists(run.work / "___temp.vms"), "a cancelled export left a mesh buffer");
          }};
}

Scenario EmptyModel() {
  return {0,
          [](const Run& run) {
            const HWND box = run.driver.WaitForMessageBox("Ahem.. hello? :-)",
                                                          "The model is empty!  Nothing exported!");
            run.driver.Command(box, IDOK);
            run.driver.WaitGone(box);
          },
          [](const Run&) {}};
}

// A missing quantity keeps the dialog open; quantities that do not add up to
// the model's four geometry meshes end the export with -1 and no file.
Scenario GroupQuantities() {
  return {-1,
          [](const Run& run) {
            run.driver.Command(run.driver.WaitForDialog(kFileOptionsCaption), kIdOk);
            run.driver.AnswerFileDialog(kExportTitle, run.Output().string());
            const HWND options = run.driver.WaitForDialog(kOptionsCaption);
            run.driver.SetText(options, kIdGroupCountEdit, "3");
            Check(run.driver.IsVisible(options, QuantityEditId(2)) &&
                      !run.driver.IsVisible(options, QuantityEditId(3)),
                  "three groups do not show exactly three rows");
            // The spins are at 1, yet a quantity the user never typed stays
            // empty, so closing now would warn.
            Check(run.driver.Text(options, QuantityEditId(1)).empty(),
                  "a quantity edit holds text the user never typed");
            run.driver.SetText(options, QuantityEditId(0), "4");
            run.driver.SetText(options, QuantityEditId(1), "");
            run.driver.SetText(options, QuantityEditId(2), "2");
            run.driver.Screenshot(options, run.Shot("options-groups"));
            PressContinue(run, options);
            const HWND warning = run.driver.WaitForMessageBox(
                "Warning", "Not all group quantities entered", options);
            run.driver.Command(warning, IDOK);
            run.driver.WaitGone(warning);
            Check(IsWindowVisible(options) != 0, "the options dialog closed despite the warning");
            run.driver.SetText(options, QuantityEditId(1), "1");
            run.driver.SetText(options, QuantityEditId(2), "1");
            run.driver.SetText(options, QuantityEditId(0), "1");
            PressContinue(run, options);
            const HWND mismatch = run.driver.WaitForMessageBox(
                "Warning", "Number of mesh group quantities does not match model - Exiting");
            run.driver.Command(mismatch, IDOK);
            run.driver.WaitGone(mismatch);
          },
          [](const Run& run) {
            Check(!fs::exists(run.Output()), "a refused export wrote a file");
          }};
}

// "Save Settings" writes the 88 bytes; "Load Settings" brings the choices back.
Scenario SettingsFile() {
  return {0,
          [](const Run& run) {
            const fs::path settings = run.work / "choices.ces";
            run.driver.Command(run.driver.WaitForDialog(kFileOptionsCaption), kIdOk);
            run.driver.AnswerFileDialog(kExportTitle, run.Output().string());
            const HWND options = run.driver.WaitForDialog(kOptionsCaption);
            run.driver.SetText(options, kIdScaleEdit, "50");
            run.driver.Click(options, kIdBackToFront);
            run.driver.Click(options, kIdLevel2);
            run.driver.SetText(options, kIdGroupCountEdit, "3");
            run.driver.SetText(options, QuantityEditId(0), "4");
            run.driver.SetText(options, QuantityEditId(1), "1");
            run.driver.SetText(options, QuantityEditId(2), "2");
            run.driver.Click(options, kIdSaveSettings);
            // Without the extension: the dialog appends ".ces".
            run.driver.AnswerFileDialog("Save CMP Exporter Settings", (run.work / "choices").string());
            std::vector<std::uint8_t> expected(88, 0);
            for (auto [offset, value] : {std::pair{0, 50}, {4, 1}, {8, 2}, {12, 3}, {16, 4}, {20, 1}, {24, 2}}) {
              expected[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
            }
            // The UI thread writes the file after its dialog closes, so wait for it.
            std::error_code sizeUnknown;
            for (int tries = 0; tries < 250 && fs::file_size(settings, sizeUnknown) != expected.size(); ++tries) {
              Sleep(20);
            }
            Check(fs::exists(settings), "Save Settings wrote no choices.ces");
            Check(Bytes(settings) == expected, "choices.ces does not hold the choices");

            run.driver.SetText(options, kIdScaleEdit, "10");
            run.driver.Click(options, kIdUpsideDown);
            run.driver.Click(options, kIdLevel0);
            run.driver.SetText(options, kIdGroupCountEdit, "1");
            run.driver.Click(options, kIdLoadSettings);
            run.driver.AnswerFileDialog("Load CMP Exporter Settings", settings.string());
            run.driver.WaitForDialog(kOptionsCaption);
            // Wait until the load has run on the UI thread.
            for (int tries = 0; tries < 250 && run.driver.Text(options, kIdScaleEdit) != "50"; ++tries) {
              Sleep(20);
            }
            Check(run.driver.Text(options, kIdScaleEdit) == "50", "the scale did not load");
            Check(run.driver.SliderPosition(options, kIdScaleSlider) == 50, "the slider did not follow");
            Check(run.driver.IsChecked(options, kIdBackToFront), "Back To Front did not load");
            Check(run.driver.IsChecked(options, kIdLevel2) && run.driver.IsVisible(options, kIdLevel2Label) &&
                      !run.driver.IsVisible(options, kIdLevel0Label),
                  "Level 2 did not load");
            Check(run.driver.Text(options, kIdGroupCountEdit) == "3", "the group count did not load");
            Check(run.driver.Text(options, QuantityEditId(0)) == "4" &&
                      run.driver.Text(options, QuantityEditId(1)) == "1" &&
                      run.driver.Text(options, QuantityEditId(2)) == "2",
                  "the quantities did not load");
            // One group, so the export of this four-mesh model goes through.
            run.driver.SetText(options, kIdGroupCountEdit, "1");
            PressContinue(run, options);
            CheckResultWindow(run, [&](HWND result) { run.driver.CloseBox(result); });
          },
          [](const Run&) {}};
}

// The scale edit clamps what is typed and the slider follows; the slider's
// left end reads as 1.
Scenario ScaleClamping() {
  return {0,
          [](const Run& run) {
            run.driver.Command(run.driver.WaitForDialog(kFileOptionsCaption), kIdOk);
            run.driver.AnswerFileDialog(kExportTitle, run.Output().string());
            const HWND options = run.driver.WaitForDialog(kOptionsCaption);
            Check(run.driver.Text(options, kIdScaleEdit) == "92" &&
                      run.driver.SliderPosition(options, kIdScaleSlider) == 92,
                  "the options dialog does not open at scale 92");
            run.driver.SetText(options, kIdScaleEdit, "250");
            Check(run.driver.Text(options, kIdScaleEdit) == "100", "250 was not clamped to 100");
            Check(run.driver.SliderPosition(options, kIdScaleSlider) == 100, "the slider did not move to 100");
            run.driver.SetText(options, kIdScaleEdit, "");
            Check(run.driver.Text(options, kIdScaleEdit) == "1", "an empty scale did not become 1");
            Check(run.driver.SliderPosition(options, kIdScaleSlider) == 1, "the slider did not move to 1");
            run.driver.SetText(options, kIdScaleEdit, "40");
            run.driver.SetSliderPosition(options, kIdScaleSlider, 0);
            Check(run.driver.Text(options, kIdScaleEdit) == "1", "the slider's left end did not read as 1");
            run.driver.SetText(options, kIdScaleEdit, "92");
            run.driver.Command(options, IDCANCEL);  // Escape
            CheckResultWindow(run, [&](HWND result) { run.driver.Command(result, kIdCancel); });
          },
          [](const Run& run) { CheckSameBytes(run.Output(), run.expected); }};
}

const std::map<std::string, Scenario (*)()> kScenarios = {
    {"defaults", Defaults},           {"update-lod1", UpdateLevel1},
    {"update-missing", UpdateMissingFile}, {"cancel-save", CancelSave},
    {"empty-model", EmptyModel},      {"group-quantities", GroupQuantities},
    {"settings-file", SettingsFile},  {"scale-clamping", ScaleClamping},
};

}  // namespace
}  // namespace svcmp::wine

int main(int argc, char** argv) {
  using namespace svcmp;
  using namespace svcmp::wine;
  if (argc < 5) {
    std::fprintf(stderr, "usage: wine_scenarios NAME PLUGIN.dll MODEL.json WORKDIR [EXPECTED] [BASE]\n");
    return 2;
  }
  const auto found = kScenarios.find(argv[1]);
  if (found == kScenarios.end()) Fail(std::string("no scenario ") + argv[1]);
  const Scenario scenario = found->second();

  // Every path is made absolute before the current directory moves.
  const auto absolute = [](const char* path) { return fs::absolute(path).make_preferred(); };
  const fs::path plugInPath = absolute(argv[2]);
  const fs::path modelPath = absolute(argv[3]);
  const fs::path work = absolute(argv[4]);
  fs::remove_all(work);
  fs::create_directories(work);
  // The mesh buffer file goes to the current directory.
  fs::current_path(work);

  PlugInLoadResult loaded = LoadPlugIn(plugInPath.string());
  Check(loaded.plugIn != nullptr, loaded.error);
  ModelDocumentResult document = LoadModelDocument(modelPath.string());
  Check(document.model != nullptr, document.error);

  Driver driver(GetCurrentThreadId());
  const Run run{driver, work, argc > 5 ? absolute(argv[5]) : fs::path(),
                argc > 6 ? absolute(argv[6]) : fs::path()};
  std::thread user([&] { scenario.drive(run); });
  const int result = loaded.plugIn->Object().Execute(document.model.get());
  user.join();
  Check(result == scenario.expectedResult, "Execute returned " + std::to_string(result) +
                                               ", expected " + std::to_string(scenario.expectedResult));
  scenario.check(run);
  std::printf("passed: %s\n", argv[1]);
  return 0;
}
