#include "utf/target_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/utf/folder_test.h"
#include "utf/temporary_files.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

// Real processes, since the lock and the clean-up are between processes.
class TargetLockTest : public testing::FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    target_ = folder_ / "ship.cmp";
  }
  // Runs `body` in a child process, whose wait status WaitFor gives.
  template <typename Body>
  static pid_t Spawn(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
      body();
      ::_exit(0);
    }
    return child;
  }
  static int WaitFor(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
  }

  fs::path target_;
};

TEST_F(TargetLockTest, OneHolderAtATimeAndNothingLeftAfterwards) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = Spawn([&] {
    const TargetLockResult held = TargetLock::Acquire(target_, true, nullptr);
    char signal = held.lock ? 'y' : 'n';
    static_cast<void>(::write(ready[1], &signal, 1));
    ::usleep(1500 * 1000);
  });
  char signal = 0;
  ASSERT_EQ(::read(ready[0], &signal, 1), 1);
  ASSERT_EQ(signal, 'y');

  const TargetLockResult busy = TargetLock::Acquire(target_, false, nullptr);
  EXPECT_EQ(busy.outcome, TargetLock::Outcome::Busy);
  EXPECT_FALSE(busy.lock);

  int told = 0;
  {
    const TargetLockResult waited = TargetLock::Acquire(target_, true, [&told] { ++told; });
    EXPECT_EQ(waited.outcome, TargetLock::Outcome::Locked);
    EXPECT_EQ(Entries(), std::vector<std::string>{".ship.cmp.lock"});
  }
  EXPECT_EQ(told, 1);
  EXPECT_EQ(WaitFor(holder), 0);
  EXPECT_EQ(Entries(), std::vector<std::string>{});
}

TEST_F(TargetLockTest, NamesTheFolderItCannotWriteIn) {
  const TargetLockResult failed =
      TargetLock::Acquire(folder_ / "missing" / "ship.cmp", true, nullptr);
  EXPECT_EQ(failed.outcome, TargetLock::Outcome::Failed);
  EXPECT_EQ(failed.reason, "cannot create a file in the folder " + (folder_ / "missing").string() +
                               ": No such file or directory");
}

TEST_F(TargetLockTest, RemovesOnlyTheTemporariesOfProcessesThatAreGone) {
  const pid_t gone = Spawn([] {});
  WaitFor(gone);
  const auto temporary = [&](pid_t owner, const char* name = "ship.cmp") {
    return "." + std::string(name) + "." + std::to_string(owner) + ".00000000000000ab.tmp";
  };
  const std::vector<std::string> kept = {temporary(::getpid()), temporary(gone, "other.cmp"),
                                         "." + std::to_string(gone) + ".tmp", "ship.cmp"};
  for (const std::string& name : kept) std::ofstream(folder_ / name) << "x";
  std::ofstream(folder_ / temporary(gone)) << "left over";

  RemoveStaleTemporaries(target_);
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(), expected);
  EXPECT_EQ(TemporaryPathBeside(target_, 0xab), folder_ / temporary(::getpid()));
}

TEST_F(TargetLockTest, AnInterruptRemovesTheNotedFilesAndStillEndsTheProcess) {
  for (const int request : {SIGINT, SIGTERM}) {
    const pid_t child = Spawn([&] {
      RemoveNotedFilesOnInterrupt();
      const fs::path noted = TemporaryPathBeside(target_, 1);
      std::ofstream(noted) << "half written";
      static_cast<void>(RemoveOnInterrupt(noted));
      std::ofstream(folder_ / "unrelated") << "kept";
      ::raise(request);
      ::usleep(1000 * 1000);
    });
    const int status = WaitFor(child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == request) << status;
    EXPECT_EQ(Entries(), std::vector<std::string>{"unrelated"});
  }
}

}  // namespace
}  // namespace svcmp
