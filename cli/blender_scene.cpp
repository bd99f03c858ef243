#include "cli/blender_scene.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "blender_export_script.h"  // kBlenderExportScript, from cli/blender_export.py
#include "blender_import_script.h"  // kBlenderImportScript, from cli/blender_import.py
#include "cli/blender_program.h"
#include "cli/scratch_folder.h"
#include "import/importer_outcome.h"
#include "import/limited_process.h"
#include "import/importer_protocol.h"

namespace svcmp::cli {
namespace {

namespace fs = std::filesystem;

// How many of Blender's last lines of output a failure shows.
constexpr std::size_t kShownLines = 12;
// The export script's exit status when it refuses, on one "error: " line.
constexpr int kScriptRefused = 2;

std::string FileMessage(const std::string& path, const std::string& reason) {
  return "\"" + path + "\": " + reason;
}

std::vector<std::string_view> NonBlankLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Blender's output, its errors last, as the end of a message: its last lines,
// each on a line of its own.
std::string LastLines(const ProcessRun& run) {
  std::vector<std::string_view> lines = NonBlankLines(run.output);
  const std::vector<std::string_view> errors = NonBlankLines(run.messages);
  lines.insert(lines.end(), errors.begin(), errors.end());
  if (lines.empty()) return "; Blender said nothing";
  std::string shown = "; Blender's last lines:";
  for (std::size_t i = lines.size() - std::min(lines.size(), kShownLines); i < lines.size(); ++i) {
    shown += "\n  ";
    shown += lines[i];
  }
  return shown;
}

// Why Blender gave no GLB, in words for the user; empty when it did.
std::string BlenderFailure(const ProcessRun& run, const fs::path& program,
                           const ProcessLimits& limits, const fs::path& written) {
  if (run.end == ProcessEnd::NotStarted) {
    return "Blender cannot be started: " + program.string() + ": " + run.detail;
  }
  if (run.end == ProcessEnd::Exited && run.exitStatus == kScriptRefused) {
    const std::string_view prefix = importer_protocol::kErrorPrefix;
    for (const std::string_view line : NonBlankLines(run.messages)) {
      if (line.starts_with(prefix)) return std::string(line.substr(prefix.size()));
    }
  }
  if (run.end != ProcessEnd::Exited || run.exitStatus != 0) {
    return "Blender stopped (" + ImporterStopReason(run, limits) + ")" + LastLines(run);
  }
  std::error_code error;
  if (!fs::is_regular_file(written, error)) return "Blender wrote no model" + LastLines(run);
  return "";
}

// Writes one of cmptool's Blender scripts to `path`; false when it cannot.
template <std::size_t N>
bool WriteScript(const fs::path& path, const char (&text)[N]) {
  std::ofstream file(path, std::ios::binary);
  return static_cast<bool>(file.write(text, N - 1).flush());
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

}  // namespace

ModelLoadResult LoadBlendFile(const std::string& path, const BlenderChoice& blender,
                              const ModelImport& import) {
  const BlenderProgram found = FindBlender(blender.program);
  if (found.program.empty()) return {nullptr, FileMessage(path, found.error), {}};
  std::optional<ScratchFolder> scratch = ScratchFolder::Create();
  if (!scratch) {
    return {nullptr, FileMessage(path, "cannot make a temporary folder for Blender's export"), {}};
  }
  const fs::path script = scratch->Path() / "export_scene.py";
  const fs::path written = scratch->Path() / "scene.glb";
  if (!WriteScript(script, kBlenderExportScript)) {
    return {nullptr, FileMessage(path, "cannot write Blender's export script"), {}};
  }

  // Absolute, so that no name is taken for one of Blender's options.
  std::error_code error;
  const std::string blend = fs::absolute(path, error).string();
  std::vector<std::string> arguments = {
      "-b",       "--factory-startup", blend, "--python-exit-code", "1",
      "--python", script.string(),     "--",  written.string()};
  if (blender.collection) arguments.push_back(*blender.collection);
  ProcessLimits limits = import.limits;
  limits.deepStack = false;
  const ProcessRun run = RunLimitedProcess(found.program, arguments, limits);
  const std::string failure = BlenderFailure(run, found.program, limits, written);
  if (!failure.empty()) return {nullptr, FileMessage(path, failure), {}};

  // The import's messages name the .blend file, not the scratch file.
  ModelLoadResult loaded = LoadModelFile(written.string(), import);
  ReplaceAll(loaded.error, written.string(), path);
  for (std::string& warning : loaded.warnings) ReplaceAll(warning, written.string(), path);
  // The script's own warnings (texture files it cannot find) come first.
  std::vector<std::string> warnings;
  for (const std::string& warning : ImporterWarnings(run))
    warnings.push_back(FileMessage(path, warning));
  warnings.insert(warnings.end(), loaded.warnings.begin(), loaded.warnings.end());
  loaded.warnings = std::move(warnings);
  return loaded;
}

std::string SaveAsBlendFile(const fs::path& glb, const fs::path& blend,
                            const std::optional<std::string>& program,
                            const ProcessLimits& limits) {
  const BlenderProgram found = FindBlender(program);
  if (found.program.empty()) return found.error;
  std::optional<ScratchFolder> scratch = ScratchFolder::Create();
  if (!scratch) return "cannot make a temporary folder for Blender's import";
  const fs::path script = scratch->Path() / "import_scene.py";
  if (!WriteScript(script, kBlenderImportScript)) return "cannot write Blender's import script";
  ProcessLimits blenderLimits = limits;
  blenderLimits.deepStack = false;
  const ProcessRun run =
      RunLimitedProcess(found.program,
                  {"-b", "--factory-startup", "--python-exit-code", "1", "--python",
                   script.string(), "--", glb.string(), blend.string()},
                  blenderLimits);
  return BlenderFailure(run, found.program, blenderLimits, blend);
}

}  // namespace svcmp::cli
