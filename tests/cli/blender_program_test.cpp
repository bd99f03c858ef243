#include "cli/blender_program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cmptool_runner.h"

// What cmptool does around Blender, with stand-ins for it (./blender, a
// shell script) that fail, refuse, hang, or note their command line and
// write a GLB. No Blender is on the PATH while they run.
namespace svcmp {
namespace {

namespace fs = std::filesystem;

class BlenderProgram : public testing::CmptoolTest {
 protected:
  void SetUp() override {
    CmptoolTest::SetUp();
    std::ofstream(folder_ / "ship.blend") << "BLENDER-v304RENDnot really a scene";
    setenv("PATH", folder_.c_str(), 1);
    unsetenv(cli::kBlenderVariable);
  }
  void TearDown() override {
    setenv("PATH", path_.c_str(), 1);
    CmptoolTest::TearDown();
  }

  // ./blender, a stand-in for Blender that runs `body`; none for no body.
  void FakeBlender(const std::string& body) const {
    fs::remove(folder_ / "blender");
    if (body.empty()) return;
    std::ofstream(folder_ / "blender") << "#!/bin/sh\nPATH=/usr/bin:/bin\n" << body << "\n";
    fs::permissions(folder_ / "blender", fs::perms::owner_all);
  }

  const std::string path_ = std::getenv("PATH");
};

constexpr char kHowToName[] =
    "name Blender's program with --blender PATH or the SVCMP_BLENDER environment variable\n";

TEST_F(BlenderProgram, FailuresSayWhyAndWriteNothing) {
  struct Case {
    const char* variable;  // SVCMP_BLENDER, or none
    std::string blender;   // the stand-in's script
    std::string arguments;
    std::string error;  // after "error: "
  };
  const std::string ship = "ship.blend --blender ./blender";
  const std::string hasSaid = "\"ship.blend\": Blender stopped (";
  const Case cases[] = {
      {nullptr, "", "ship.blend",
       std::string("\"ship.blend\": reading it needs Blender, which was not found: install "
                   "Blender, or ") +
           kHowToName},
      {"gone", "", "ship.blend",
       std::string("\"ship.blend\": there is no Blender program at \"gone\" (SVCMP_BLENDER); ") +
           kHowToName},
      {"gone", "", "ship.blend --blender missing",
       std::string("\"ship.blend\": there is no Blender program at \"missing\" (--blender); ") +
           kHowToName},
      {"./blender", "echo Read blend\necho 'Error: not a scene' >&2\nexit 1", "ship.blend",
       hasSaid + "it ended with status 1); Blender's last lines:\n  Read blend\n"
                 "  Error: not a scene\n"},
      // Blender's errors come last: its last 12 lines are shown, not its first.
      {nullptr, "seq 1 15\necho 'Error: not a scene' >&2\nexit 1", ship,
       hasSaid + "it ended with status 1); Blender's last lines:\n  5\n  6\n  7\n  8\n  9\n"
                 "  10\n  11\n  12\n  13\n  14\n  15\n  Error: not a scene\n"},
      {nullptr, "echo Read blend\nexec sleep 20", ship + " --import-timeout 1",
       hasSaid + "no result after 1 s); Blender's last lines:\n  Read blend\n"},
      {nullptr, "kill -SEGV $$", ship,
       hasSaid + "it crashed: Segmentation fault); Blender said nothing\n"},
      {nullptr, "echo 'error: no collection \"Ref\" in the scene' >&2\nexit 2", ship,
       "\"ship.blend\": no collection \"Ref\" in the scene\n"},
      {nullptr, "exit 0", ship, "\"ship.blend\": Blender wrote no model; Blender said nothing\n"},
      {nullptr, "", "'" SVCMP_EXAMPLES "/sample_ship.glb' --blender-collection Ship",
       "--blender-collection picks from .blend files; \"" SVCMP_EXAMPLES
       "/sample_ship.glb\" is none\n"},
  };
  for (const Case& c : cases) {
    FakeBlender(c.blender);
    if (c.variable != nullptr) setenv(cli::kBlenderVariable, c.variable, 1);
    const testing::CmptoolRun run = Run("export " + c.arguments + " -o ship.cmp");
    unsetenv(cli::kBlenderVariable);
    EXPECT_EQ(run.exitStatus, 1) << c.blender;
    EXPECT_EQ(run.err, "error: " + c.error);
    EXPECT_FALSE(fs::exists(folder_ / "ship.cmp"));
  }
}

TEST_F(BlenderProgram, RunsHeadlessWithTheScriptAndImportsItsGlb) {
  FakeBlender(
      "echo \"$@\" >given\nwhile [ \"$1\" != -- ]; do shift; done\n"
      "cp '" SVCMP_EXAMPLES "/sample_ship.glb' \"$2\"");
  const testing::CmptoolRun run =
      Run("export ship.blend --list --blender ./blender --blender-collection Ship");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.out.find("HpEngine01"), std::string::npos) << run.out;
  std::istringstream line(FileText("given"));
  const std::vector<std::string> given{std::istream_iterator<std::string>(line), {}};
  ASSERT_EQ(given.size(), 10u);
  const fs::path scratch = fs::path(given[6]).parent_path();
  EXPECT_EQ(given,
            (std::vector<std::string>{"-b", "--factory-startup", (folder_ / "ship.blend").string(),
                                      "--python-exit-code", "1", "--python",
                                      (scratch / "export_scene.py").string(), "--",
                                      (scratch / "scene.glb").string(), "Ship"}));
  EXPECT_FALSE(fs::exists(scratch));  // with the script and the GLB
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

}  // namespace
}  // namespace svcmp
