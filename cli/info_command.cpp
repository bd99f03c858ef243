#include <cstdio>
#include <memory>
#include <string>

#include "cli/collision_files.h"
#include "cli/collision_info.h"
#include "cli/commands.h"
#include "cli/info_printer.h"
#include "cli/input_files.h"
#include "inspect/compound_model.h"
#include "inspect/material_names.h"

namespace svcmp::cli {
namespace {

struct InfoOptions {
  std::string path;
  std::string materials;
  std::string model;  // names the parts of a collision file
  bool json = false;
};

int RunInfo(const InfoOptions& options) {
  if (IsCollisionFileName(options.path)) return RunCollisionInfo(options.path, options.model, options.json);
  UtfTree tree;
  if (!ReadUtfFileOrSay(options.path, tree)) return 1;
  CompoundModel model = DecodeCompoundModel(tree);
  if (!options.materials.empty()) {
    UtfTree materials;
    if (!ReadUtfFileOrSay(options.materials, materials)) return 1;
    AddMaterialNames(materials, model.materialNames);
  }
  if (options.json) {
    PrintInfoJson(options.path, model, stdout);
  } else {
    PrintInfoText(options.path, model, stdout);
  }
  if (!model.findings.empty()) {
    std::fprintf(stderr, "warning: %s: %zu problem%s found; cmptool check lists them\n",
                 options.path.c_str(), model.findings.size(),
                 model.findings.size() == 1 ? "" : "s");
  }
  return 0;
}

}  // namespace

void AddInfoCommand(CLI::App& app, int& exitStatus) {
  auto* command =
      app.add_subcommand("info", "Summarise a compound model (.cmp), model (.3db) or collision (.sur) file");
  auto options = std::make_shared<InfoOptions>();
  command->add_option("FILE", options->path, "The model file")->required();
  command->add_flag("--json", options->json, "Print the summary as JSON");
  command
      ->add_option("--materials", options->materials,
                   "A material library (.mat) that names the materials")
      ->check(CLI::ExistingFile);
  command
      ->add_option("--model", options->model,
                   "For a collision file: the model that names its parts (else the one beside it)")
      ->check(CLI::ExistingFile);
  command->callback([options, &exitStatus] { exitStatus = RunInfo(*options); });
}

}  // namespace svcmp::cli
