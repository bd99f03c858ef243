#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/collision_files.h"
#include "cli/commands.h"
#include "cli/input_files.h"
#include "inspect/material_rules.h"
#include "inspect/model_checks.h"

namespace svcmp::cli {
namespace {

constexpr char kUnreadableRule[] = "unreadable";

struct Counts {
  std::size_t errors = 0, warnings = 0;
};

void PrintFinding(const std::string& file, const Finding& finding, Counts& counts) {
  const bool error = finding.severity == Severity::Error;
  ++(error ? counts.errors : counts.warnings);
  std::printf("%s: %s: %s [%s] %s\n", file.c_str(), finding.path.c_str(),
              error ? "error" : "warning", finding.rule.c_str(), finding.message.c_str());
}

std::string Count(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Files are decoded first and judged together, since mesh references may
// point into another file's library and library ids are global. Collision
// files are judged against the model they belong to.
int RunCheck(const std::vector<std::string>& given) {
  const CheckedFiles sorted = SortCheckedFiles(given);
  const std::vector<std::string>& files = sorted.models;
  std::vector<UtfTree> trees(files.size());
  std::vector<CompoundModel> models(files.size());
  std::vector<CheckedModel> checked;
  std::vector<std::string> unreadable(files.size());
  // Materials and textures may live in any of the files, so their libraries
  // are gathered from all of them before a reference is judged.
  MaterialLibraries libraries;
  std::vector<Findings> libraryFindings(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (const UtfReadResult read = LoadUtfFile(files[i], trees[i]); !read.ok()) {
      unreadable[i] = read.reason;
      continue;
    }
    models[i] = DecodeCompoundModel(trees[i]);
    CollectMaterialLibraries(trees[i], libraries, libraryFindings[i]);
    checked.push_back({files[i], &models[i]});
  }
  std::vector<Findings> findings = CheckModels(checked);
  for (std::size_t i = 0, c = 0; i < files.size(); ++i) {
    if (!unreadable[i].empty()) continue;
    Findings& found = findings[c++];
    found.insert(found.end(), libraryFindings[i].begin(), libraryFindings[i].end());
    CheckMaterialReferences(trees[i], models[i], libraries, found);
  }
  Counts counts;
  for (std::size_t i = 0, c = 0; i < files.size(); ++i) {
    if (!unreadable[i].empty()) {
      PrintFinding(files[i], {"/", Severity::Error, kUnreadableRule, unreadable[i]}, counts);
      continue;
    }
    for (const Finding& finding : findings[c]) PrintFinding(files[i], finding, counts);
    ++c;
  }
  for (const auto& [path, model] : sorted.collisions) {
    const bool known = model >= 0 && unreadable[static_cast<std::size_t>(model)].empty();
    for (const Finding& finding :
         CheckCollisionFileAt(path, known ? &models[static_cast<std::size_t>(model)] : nullptr)) {
      PrintFinding(path, finding, counts);
    }
  }
  const std::size_t checkedCount = files.size() + sorted.collisions.size();
  std::printf("%s checked: %s, %s\n", Count(checkedCount, "file", "files").c_str(),
              Count(counts.errors, "error", "errors").c_str(),
              Count(counts.warnings, "warning", "warnings").c_str());
  return counts.errors == 0 ? 0 : 1;
}

}  // namespace

void AddCheckCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand(
      "check", "Find what the game would choke on in compound model (.cmp), model (.3db) and collision "
      "(.sur) files");
  auto files = std::make_shared<std::vector<std::string>>();
  command->add_option("FILE", *files, "The files, checked together")->required();
  command->callback([files, &exitStatus] { exitStatus = RunCheck(*files); });
}

}  // namespace svcmp::cli
