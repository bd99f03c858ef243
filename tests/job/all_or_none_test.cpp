#include "job/all_or_none.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/utf/folder_test.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Puts the real disk back however a test ends.
class AllOrNone : public testing::FolderTest {
 protected:
  void TearDown() override {
    SetWriteFault(nullptr);
    FolderTest::TearDown();
  }

  // Three files as an export makes them, of different sizes and contents.
  std::vector<ExportFile> Files() const {
    return {{folder_ / "ship.cmp", Bytes(40, 0xC1), nullptr},
            {folder_ / "ship.sur", Bytes(24, 0x5A), nullptr},
            {folder_ / "ship.mat", Bytes(8, 0x3E), nullptr}};
  }

  // What each target holds: its bytes, or nothing where it is absent.
  std::vector<std::optional<Bytes>> Targets() const {
    std::vector<std::optional<Bytes>> held;
    for (const char* name : {"ship.cmp", "ship.sur", "ship.mat"}) {
      held.push_back(fs::exists(folder_ / name) ? std::optional(ReadBytes(folder_ / name))
                                                : std::nullopt);
    }
    return held;
  }
};

TEST_F(AllOrNone, PutsEveryFileInPlaceAndLeavesNothingBeside) {
  WriteBytes(folder_ / "ship.sur", Bytes(3, 0x01));  // one old file among new ones
  const std::vector<ExportFile> files = Files();
  const StepResult<Done> written = WriteAllOrNone(files);
  ASSERT_TRUE(written.ok()) << written.error;
  EXPECT_EQ(Targets(),
            (std::vector<std::optional<Bytes>>{files[0].bytes, files[1].bytes, files[2].bytes}));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"ship.cmp", "ship.mat", "ship.sur"}));
}

struct FaultCase {
  const char* name;
  WriteStep step;
  const char* file;  // the file whose step fails
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.name; }

class AllOrNoneFault : public AllOrNone, public ::testing::WithParamInterface<FaultCase> {};

// Every step of every file, for new targets and for old ones: each target
// byte for byte as it was, no file left beside them, and the error names
// the file at fault.
TEST_P(AllOrNoneFault, LeavesEveryTargetAsItWas) {
  const FaultCase& fault = GetParam();
  for (const bool oldFiles : {false, true}) {
    SCOPED_TRACE(oldFiles ? "old files there" : "new files");
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove(entry.path());
    if (oldFiles) {
      WriteBytes(folder_ / "ship.cmp", Bytes{1, 2, 3});
      WriteBytes(folder_ / "ship.sur", Bytes{4, 5});
      WriteBytes(folder_ / "ship.mat", Bytes{6});
    }
    const std::vector<std::optional<Bytes>> before = Targets();
    const std::vector<std::string> entriesBefore = Entries();
    const fs::path faulty = folder_ / fault.file;
    SetWriteFault(
        [&](WriteStep step, const fs::path& path) { return step == fault.step && path == faulty; });
    const StepResult<Done> written = WriteAllOrNone(Files());
    SetWriteFault(nullptr);
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error.find(fault.file), std::string::npos) << written.error;
    EXPECT_EQ(Targets(), before);
    EXPECT_EQ(Entries(), entriesBefore);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, AllOrNoneFault,
    ::testing::Values(FaultCase{"StageCmp", WriteStep::Stage, "ship.cmp"},
                      FaultCase{"StageSur", WriteStep::Stage, "ship.sur"},
                      FaultCase{"StageMat", WriteStep::Stage, "ship.mat"},
                      FaultCase{"ReadBackSur", WriteStep::ReadBack, "ship.sur"},
                      FaultCase{"RenameCmp", WriteStep::Rename, "ship.cmp"},
                      FaultCase{"RenameSur", WriteStep::Rename, "ship.sur"},
                      FaultCase{"RenameMat", WriteStep::Rename, "ship.mat"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(AllOrNone, RefusesAFileItsCheckFindsUnsound) {
  WriteBytes(folder_ / "ship.cmp", Bytes{9, 9});
  std::vector<ExportFile> files = Files();
  files[2].check = [](std::span<const std::uint8_t> bytes) {
    return bytes.size() == 8 ? "is not a material library" : "";
  };
  const StepResult<Done> written = WriteAllOrNone(files);
  ASSERT_FALSE(written.ok());
  EXPECT_NE(written.error.find("ship.mat\" is not a material library"), std::string::npos)
      << written.error;
  EXPECT_EQ(Entries(), (std::vector<std::string>{"ship.cmp"}));
  EXPECT_EQ(ReadBytes(folder_ / "ship.cmp"), (Bytes{9, 9}));
}

// A link is written through: the file it points at gets the new bytes and
// gets the old ones back when a later file fails.
TEST_F(AllOrNone, WritesThroughLinksAndPutsTheirFilesBack) {
  fs::create_directory(folder_ / "real");
  WriteBytes(folder_ / "real" / "ship.cmp", Bytes{7, 7, 7});
  fs::create_symlink(folder_ / "real" / "ship.cmp", folder_ / "ship.cmp");
  SetWriteFault([&](WriteStep step, const fs::path& path) {
    return step == WriteStep::Rename && path == folder_ / "ship.mat";
  });
  ASSERT_FALSE(WriteAllOrNone(Files()).ok());
  EXPECT_TRUE(fs::is_symlink(folder_ / "ship.cmp"));
  EXPECT_EQ(ReadBytes(folder_ / "real" / "ship.cmp"), (Bytes{7, 7, 7}));
  SetWriteFault(nullptr);
  ASSERT_TRUE(WriteAllOrNone(Files()).ok());
  EXPECT_TRUE(fs::is_symlink(folder_ / "ship.cmp"));
  EXPECT_EQ(ReadBytes(folder_ / "real" / "ship.cmp"), Bytes(40, 0xC1));
}

}  // namespace
}  // namespace svcmp
