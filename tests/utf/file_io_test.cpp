#include "utf/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace svcmp {
namespace {

namespace fs = std::filesystem;

// A fresh, empty folder for one test, removed afterwards.
class FileIo : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("svcmp-file-io-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder_);
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  void Put(const fs::path& path, const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
  std::string Get(const fs::path& path) const {
    const FileReadResult read = ReadWholeFile(path);
    return read.bytes ? std::string(read.bytes->begin(), read.bytes->end()) : "<unreadable>";
  }

  fs::path folder_;
  const std::vector<std::uint8_t> newBytes_{'n', 'e', 'w'};
};

TEST_F(FileIo, ReplacesExistingFileAndLeavesNothingElse) {
  const fs::path target = folder_ / "ship.cmp";
  Put(target, "old contents");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const FileWriteResult result = ReplaceFileContents(target, newBytes_);
  ASSERT_TRUE(result.written) << result.reason;
  EXPECT_EQ(Get(target), "new");
  EXPECT_EQ(Entries(), std::vector<std::string>{"ship.cmp"});
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileIo, CreatesMissingFile) {
  ASSERT_TRUE(ReplaceFileContents(folder_ / "new.cmp", newBytes_).written);
  EXPECT_EQ(Get(folder_ / "new.cmp"), "new");
}

TEST_F(FileIo, RefusesFolderInTheWayWithoutLeavingTemporaryFile) {
  const fs::path target = folder_ / "ship.cmp";
  fs::create_directory(target);
  Put(target / "inside.txt", "kept");
  const FileWriteResult result = ReplaceFileContents(target, newBytes_);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.reason.rfind("cannot replace " + target.string() + ": ", 0), 0u) << result.reason;
  EXPECT_EQ(Entries(), std::vector<std::string>{"ship.cmp"});
  EXPECT_EQ(Get(target / "inside.txt"), "kept");
}

TEST_F(FileIo, ReportsMissingFolder) {
  const fs::path target = folder_ / "missing" / "ship.cmp";
  const FileWriteResult result = ReplaceFileContents(target, newBytes_);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.reason, "cannot create a file in the folder " + target.parent_path().string() +
                               ": No such file or directory");
}

TEST_F(FileIo, FileThatCannotBeCreatedKeepsTheOldFile) {
  const fs::path target = folder_ / "ship.cmp";
  Put(target, "old");
  // With no file descriptor left, creating the temporary file fails for any
  // user, root included, which a read-only folder does not guarantee.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  const int lowestFree = ::dup(0);
  ASSERT_GE(lowestFree, 0);
  ::close(lowestFree);
  rlimit exhausted = saved;
  exhausted.rlim_cur = static_cast<rlim_t>(lowestFree);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &exhausted), 0);
  const FileWriteResult result = ReplaceFileContents(target, newBytes_);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.reason.rfind("cannot create ", 0), 0u) << result.reason;
  EXPECT_EQ(Get(target), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"ship.cmp"});
}

TEST_F(FileIo, FailedSyncIsReportedAndKeepsTheOldFile) {
  const fs::path target = folder_ / "ship.cmp";
  Put(target, "old");
  const SyncCall saved = SetSyncCall([](int) {
    errno = EIO;
    return -1;
  });
  const std::span<const std::uint8_t> pieces[] = {newBytes_, newBytes_};
  const FileWriteResult results[] = {ReplaceFileContents(target, newBytes_),
                                     ReplaceFileContentsFromPieces(target, pieces)};
  SetSyncCall(saved);

  for (const FileWriteResult& result : results) {
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.reason, "short write to " + target.string() + ": Input/output error");
  }
  EXPECT_EQ(Get(target), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"ship.cmp"});
}

// More pieces than one gathered write takes, empty ones among them, and
// pieces of several megabytes.
TEST_F(FileIo, GatheredWriteKeepsEveryByteInOrder) {
  std::vector<std::vector<std::uint8_t>> blocks;
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    const std::size_t size = i % 50 == 7 ? 1500000 + i : static_cast<std::size_t>(i % 5) * 11;
    std::vector<std::uint8_t>& block = blocks.emplace_back(size);
    for (std::size_t j = 0; j < size; ++j) block[j] = static_cast<std::uint8_t>(i + j / 3);
    expected.append(block.begin(), block.end());
  }
  const std::vector<std::span<const std::uint8_t>> pieces(blocks.begin(), blocks.end());
  const fs::path target = folder_ / "ship.cmp";
  Put(target, "old");
  const FileWriteResult result = ReplaceFileContentsFromPieces(target, pieces);
  ASSERT_TRUE(result.written) << result.reason;
  EXPECT_EQ(Get(target), expected);
  EXPECT_EQ(Entries(), std::vector<std::string>{"ship.cmp"});
}

TEST_F(FileIo, ReadsWholeFileAndNamesWhatCannotBeRead) {
  std::string big(200000, 'x');
  big[199999] = 'y';
  Put(folder_ / "big.bin", big);
  EXPECT_EQ(Get(folder_ / "big.bin"), big);
  Put(folder_ / "empty.bin", "");
  const FileReadResult empty = ReadWholeFile(folder_ / "empty.bin");
  ASSERT_TRUE(empty.bytes);
  EXPECT_TRUE(empty.bytes->empty());
  // A file whose size the system does not know beforehand is read to its end.
  const FileReadResult unsized = ReadWholeFile("/proc/self/maps");
  ASSERT_TRUE(unsized.bytes);
  ASSERT_GT(unsized.bytes->size(), 1u);
  EXPECT_EQ((*unsized.bytes)[unsized.bytes->size() - 1], '\n');

  const FileReadResult missing = ReadWholeFile(folder_ / "none.cmp");
  EXPECT_FALSE(missing.bytes);
  EXPECT_EQ(missing.reason, "cannot open " + (folder_ / "none.cmp").string() + ": No such file or directory");
  const FileReadResult folder = ReadWholeFile(folder_);
  EXPECT_FALSE(folder.bytes);
  EXPECT_EQ(folder.reason, "cannot open " + folder_.string() + ": it is a folder");
}

}  // namespace
}  // namespace svcmp
