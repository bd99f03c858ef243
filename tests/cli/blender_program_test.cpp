#include "cli/blender_program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cmptool_runner.h"

// What cmptool does around Blender, with stand-ins for it: shell scripts
// that say what they were given, fail, refuse, hang or write a GLB.
namespace svcmp {
namespace {

namespace fs = std::filesystem;

class BlenderProgram : public testing::CmptoolTest {
 protected:
  void SetUp() override {
    CmptoolTest::SetUp();
    std::ofstream(folder_ / "ship.blend") << "BLENDER-v304RENDnot really a scene";
  }

  // A stand-in for Blender running `body`, as the file `name`.
  std::string FakeBlender(const std::string& body, const std::string& name = "blender") const {
    const fs::path program = folder_ / name;
    std::ofstream(program) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(program, fs::perms::owner_all);
    return program.string();
  }
};

constexpr char kHowToName[] =
    "name Blender's program with --blender PATH or the SVCMP_BLENDER environment variable\n";

TEST_F(BlenderProgram, FailuresSayWhyAndWriteNothing) {
  struct Case {
    std::string blender;  // the stand-in's script; empty: none there
    std::string options;
    std::string message;
  };
  const Case cases[] = {
      {"", "",
       std::string("there is no Blender program at \"missing\" (--blender); ") + kHowToName},
      {"echo Read blend\necho 'Error: not a scene' >&2\nexit 1", "",
       "Blender stopped (it ended with status 1); Blender's last lines:\n  Read blend\n"
       "  Error: not a scene\n"},
      {"echo Read blend\nexec sleep 20", "--import-timeout 1",
       "Blender stopped (no result after 1 s); Blender's last lines:\n  Read blend\n"},
      {"kill -SEGV $$", "",
       "Blender stopped (it crashed: Segmentation fault); Blender said nothing\n"},
      {"echo 'error: no collection \"Ref\" in the scene' >&2\nexit 2", "",
       "no collection \"Ref\" in the scene\n"},
      {"exit 0", "", "Blender wrote no model; Blender said nothing\n"},
  };
  for (const Case& c : cases) {
    const std::string program = c.blender.empty() ? "missing" : FakeBlender(c.blender);
    const testing::CmptoolRun run =
        Run("export ship.blend -o ship.cmp --blender '" + program + "' " + c.options);
    EXPECT_EQ(run.exitStatus, 1) << c.blender;
    EXPECT_EQ(run.err, "error: \"ship.blend\": " + c.message);
    EXPECT_FALSE(fs::exists(folder_ / "ship.cmp"));
  }
}

TEST_F(BlenderProgram, RunsHeadlessWithTheScriptAndImportsItsGlb) {
  // The stand-in notes its command line and copies a GLB where it is told.
  const std::string program = FakeBlender(
      "echo \"$@\" >given\n"
      "while [ \"$1\" != -- ]; do shift; done\n"
      "cp '" SVCMP_EXAMPLES "/sample_ship.glb' \"$2\"");
  const testing::CmptoolRun run =
      Run("export ship.blend --list --blender '" + program + "' --blender-collection Ship");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.out.find("HpEngine01"), std::string::npos) << run.out;
  std::istringstream line(FileText("given"));
  const std::vector<std::string> given{std::istream_iterator<std::string>(line), {}};
  ASSERT_EQ(given.size(), 10u);
  const fs::path script = given[6];
  EXPECT_EQ(given,
            (std::vector<std::string>{"-b", "--factory-startup", (folder_ / "ship.blend").string(),
                                      "--python-exit-code", "1", "--python", script.string(), "--",
                                      (script.parent_path() / "scene.glb").string(), "Ship"}));
  // The scratch folder with the script and the GLB is gone.
  EXPECT_FALSE(fs::exists(script.parent_path()));
}

TEST_F(BlenderProgram, FoundThroughTheEnvironmentOrSaysHowToNameIt) {
  const std::string path = std::getenv("PATH");
  const char* variable = std::getenv(cli::kBlenderVariable);
  const std::optional<std::string> named =
      variable ? std::optional<std::string>(variable) : std::nullopt;
  setenv("PATH", folder_.c_str(), 1);  // no blender on it
  unsetenv(cli::kBlenderVariable);
  const testing::CmptoolRun none = Run("export ship.blend -o ship.cmp");
  setenv(cli::kBlenderVariable, "gone", 1);
  const testing::CmptoolRun gone = Run("export ship.blend -o ship.cmp");
  setenv(cli::kBlenderVariable, FakeBlender("exit 3").c_str(), 1);
  const testing::CmptoolRun found = Run("export ship.blend -o ship.cmp");
  setenv("PATH", path.c_str(), 1);
  if (named)
    setenv(cli::kBlenderVariable, named->c_str(), 1);
  else
    unsetenv(cli::kBlenderVariable);

  EXPECT_EQ(none.err, std::string("error: \"ship.blend\": reading it needs Blender, which was not "
                                  "found: install Blender, or ") +
                          kHowToName);
  EXPECT_EQ(gone.err, std::string("error: \"ship.blend\": there is no Blender program at \"gone\" "
                                  "(SVCMP_BLENDER); ") +
                          kHowToName);
  EXPECT_NE(found.err.find("(it ended with status 3)"), std::string::npos) << found.err;
}

TEST_F(BlenderProgram, NewestInstalledVersionWins) {
  const fs::path installs = folder_ / "Blender Foundation";
  for (const char* version : {"Blender 3.6", "Blender 4.10", "Blender 4.2", "Blender 5.0"}) {
    fs::create_directories(installs / version);
    if (std::string(version) == "Blender 5.0") continue;  // uninstalled: its folder is left
    std::ofstream(installs / version / "blender.exe") << "";
    fs::permissions(installs / version / "blender.exe", fs::perms::owner_all);
  }
  EXPECT_EQ(cli::NewestInstalledBlender({folder_ / "nothing", folder_}),
            installs / "Blender 4.10" / "blender.exe");
  EXPECT_EQ(cli::NewestInstalledBlender({folder_ / "nothing"}), fs::path());
}

TEST_F(BlenderProgram, CollectionsBelongToBlendFilesOnly) {
  const testing::CmptoolRun run =
      Run("export '" SVCMP_EXAMPLES "/sample_ship.glb' -o ship.cmp --blender-collection Ship");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "error: --blender-collection picks from .blend files; \"" SVCMP_EXAMPLES
                     "/sample_ship.glb\" is none\n");
}

}  // namespace
}  // namespace svcmp
