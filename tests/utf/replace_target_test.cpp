#include "utf/replace_target.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/utf/folder_test.h"
#include "utf/file_io.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

class ReplaceTarget : public testing::FolderTest {
 protected:
  std::string Get(const fs::path& path) const {
    const FileReadResult read = ReadWholeFile(path);
    return read.bytes ? std::string(read.bytes->begin(), read.bytes->end()) : "<unreadable>";
  }

  const std::vector<std::uint8_t> newBytes_{'n', 'e', 'w'};
};

TEST_F(ReplaceTarget, RefusesWhatIsNotARegularFileWithoutOpeningIt) {
  fs::create_directory(folder_ / "folder");
  ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0666), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = (folder_ / "socket").string();
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  fs::create_symlink("fifo", folder_ / "link-to-fifo");

  const struct {
    fs::path path;
    std::string refusal;
  } cases[] = {
      {folder_ / "folder", " is a folder"},
      {folder_ / "fifo", " is a FIFO (named pipe), not a file; only regular files are written"},
      {folder_ / "link-to-fifo",
       " is a FIFO (named pipe), not a file; only regular files are written"},
      {folder_ / "socket", " is a socket, not a file; only regular files are written"},
      {"/dev/null", " is a device, not a file; only regular files are written"},
  };
  for (const auto& each : cases) {
    EXPECT_EQ(CheckReplaceTarget(each.path), each.path.string() + each.refusal);
    // The writer refuses them too, so the plug-in never turns them into files.
    const FileWriteResult written = ReplaceFileContents(each.path, newBytes_);
    EXPECT_FALSE(written.written) << each.path;
  }
  ::close(listener);
  EXPECT_EQ(fs::status(folder_ / "fifo").type(), fs::file_type::fifo);
  EXPECT_EQ(fs::status(folder_ / "socket").type(), fs::file_type::socket);
}

TEST_F(ReplaceTarget, AcceptsNewAndWritableFiles) {
  std::ofstream(folder_ / "old.cmp") << "old";
  EXPECT_EQ(CheckReplaceTarget(folder_ / "old.cmp"), std::nullopt);
  EXPECT_EQ(CheckReplaceTarget(folder_ / "new.cmp"), std::nullopt);
}

TEST_F(ReplaceTarget, RefusesAWriteProtectedFile) {
  const fs::path kept = folder_ / "kept.cmp";
  std::ofstream(kept) << "old";
  fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  // Root may write any file, so as root the check runs as an ordinary user.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(2);
    ::_exit(CheckReplaceTarget(kept) == kept.string() + " is write-protected" ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Valid and dangling links alike: the new file goes where the link points,
// and the link stays a link.
TEST_F(ReplaceTarget, WritesThroughValidAndDanglingLinks) {
  fs::create_directory(folder_ / "game");
  std::ofstream(folder_ / "game" / "valid.cmp") << "old";
  fs::create_symlink("game/valid.cmp", folder_ / "valid-link.cmp");
  fs::create_symlink("game/absent.cmp", folder_ / "dangling-link.cmp");
  fs::create_symlink("dangling-link.cmp", folder_ / "chain.cmp");

  for (const char* link : {"valid-link.cmp", "chain.cmp"}) {
    ASSERT_TRUE(ReplaceFileContents(folder_ / link, newBytes_).written) << link;
  }
  EXPECT_EQ(Get(folder_ / "game" / "valid.cmp"), "new");
  EXPECT_EQ(Get(folder_ / "game" / "absent.cmp"), "new");
  for (const char* link : {"valid-link.cmp", "dangling-link.cmp", "chain.cmp"}) {
    EXPECT_TRUE(fs::is_symlink(folder_ / link)) << link;
  }
  EXPECT_EQ(ResolveReplaceTarget(folder_ / "chain.cmp"), folder_ / "game/absent.cmp");

  fs::create_symlink("loop-b", folder_ / "loop-a");
  fs::create_symlink("loop-a", folder_ / "loop-b");
  EXPECT_NE(CheckReplaceTarget(folder_ / "loop-a"), std::nullopt);
}

}  // namespace
}  // namespace svcmp
