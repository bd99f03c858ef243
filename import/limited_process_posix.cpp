#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

#include "import/importer_protocol.h"
#include "import/limited_process.h"

namespace svcmp {
namespace {

// Deep but valid hierarchies make the model-file library recurse once per
// level; a stack this deep holds tens of thousands of levels. It counts
// towards the memory limit only as far as it is used.
constexpr rlim_t kImporterStackBytes = rlim_t{512} << 20;

using Clock = std::chrono::steady_clock;

// A pipe whose ends close themselves; both ends are close-on-exec, so only the
// descriptors dup2'ed into the child survive its exec.
class Pipe {
 public:
  bool Open() { return pipe2(ends_, O_CLOEXEC) == 0; }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  int Read() const { return ends_[0]; }
  int Write() const { return ends_[1]; }
  void CloseRead() { Close(ends_[0]); }
  void CloseWrite() { Close(ends_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int ends_[2] = {-1, -1};
};

// In the child between fork and exec: only async-signal-safe calls. Reports a
// failed exec through the status pipe as its errno.
[[noreturn]] void StartChild(char* const* argv, [[maybe_unused]] const ProcessLimits& limits,
                             int output, int messages, int status) {
  const int nothing = open("/dev/null", O_RDONLY);
  if (nothing < 0 || dup2(nothing, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
      dup2(messages, STDERR_FILENO) < 0) {
    const int error = errno;
    static_cast<void>(write(status, &error, sizeof error));
    _exit(127);
  }
  // AddressSanitizer reserves terabytes of address space up front, so a
  // sanitizer build can only run the importer without the memory limit.
#ifndef __SANITIZE_ADDRESS__
  const rlimit memory{rlim_t{limits.memoryMegabytes} << 20, rlim_t{limits.memoryMegabytes} << 20};
  setrlimit(RLIMIT_AS, &memory);
#endif
  if (limits.deepStack) {
    const rlimit stack{kImporterStackBytes, kImporterStackBytes};
    setrlimit(RLIMIT_STACK, &stack);
  }
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  execv(argv[0], argv);
  const int error = errno;
  static_cast<void>(write(status, &error, sizeof error));
  _exit(127);
}

// Reads what the child writes until both pipes close, the deadline passes or
// the output grows past maxOutput. Returns the end that stopped it early, or
// Exited when both pipes closed.
ProcessEnd Collect(int output, int messages, Clock::time_point deadline, std::size_t maxOutput,
                   ProcessRun& run) {
  pollfd fds[2] = {{output, POLLIN, 0}, {messages, POLLIN, 0}};
  std::string* sinks[2] = {&run.output, &run.messages};
  char buffer[65536];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return ProcessEnd::TimedOut;
    const int ready = poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000)));
    if (ready < 0 && errno != EINTR) return ProcessEnd::Crashed;
    for (int i = 0; i < 2 && ready > 0; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(count));
        if (sinks[i]->size() > maxOutput) return ProcessEnd::OutputTooLarge;
      } else if (count == 0 || errno != EINTR) {
        fds[i].fd = -1;  // poll skips negative descriptors
      }
    }
  }
  return ProcessEnd::Exited;
}

// Waits for the child until the deadline; false when it is still running.
bool WaitUntil(pid_t child, Clock::time_point deadline, int& status) {
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

std::filesystem::path ImporterProgramBeside() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return importer_protocol::kProgramName;
  return self.parent_path() / importer_protocol::kProgramName;
}

ProcessRun RunLimitedProcess(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const ProcessLimits& limits) {
  ProcessRun run;
  std::vector<std::string> words = {program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  Pipe output, messages, status;
  if (!output.Open() || !messages.Open() || !status.Open()) {
    run.detail = std::strerror(errno);
    return run;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.timeoutSeconds);
  const pid_t child = fork();
  if (child < 0) {
    run.detail = std::strerror(errno);
    return run;
  }
  if (child == 0) StartChild(argv.data(), limits, output.Write(), messages.Write(), status.Write());

  output.CloseWrite();
  messages.CloseWrite();
  status.CloseWrite();
  int execError = 0;
  ssize_t got;
  do {
    got = read(status.Read(), &execError, sizeof execError);
  } while (got < 0 && errno == EINTR);
  int waitStatus = 0;
  if (got == static_cast<ssize_t>(sizeof execError)) {
    waitpid(child, &waitStatus, 0);
    run.detail = std::strerror(execError);
    return run;
  }

  const std::size_t maxOutput = std::size_t{limits.memoryMegabytes} << 20;
  run.end = Collect(output.Read(), messages.Read(), deadline, maxOutput, run);
  // A child that closed its pipes still gets until the deadline to exit.
  if (run.end != ProcessEnd::Exited || !WaitUntil(child, deadline, waitStatus)) {
    if (run.end == ProcessEnd::Exited) run.end = ProcessEnd::TimedOut;
    kill(child, SIGKILL);
    waitpid(child, &waitStatus, 0);
    return run;
  }
  if (WIFSIGNALED(waitStatus)) {
    run.end = ProcessEnd::Crashed;
    run.detail = strsignal(WTERMSIG(waitStatus));
  } else {
    run.exitStatus = WEXITSTATUS(waitStatus);
  }
  return run;
}

}  // namespace svcmp
