#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>

#include "import/import_messages.h"
#include "import/importer_protocol.h"
#include "import/limited_process.h"

namespace svcmp {
namespace {

// A handle that closes itself.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  HANDLE Get() const { return handle_; }
  HANDLE* Out() { return &handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Close() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

std::string LastError() {
  const DWORD code = GetLastError();
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return message.empty() ? "Windows error " + std::to_string(code) : message;
}

// One argument as the C runtime's command-line parser reads it back:
// backslashes are literal except before a quote, where they are doubled.
void AppendQuoted(const std::string& argument, std::string& commandLine) {
  if (!commandLine.empty()) commandLine += ' ';
  commandLine += '"';
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    commandLine.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    commandLine += c;
  }
  commandLine.append(2 * backslashes, '\\');
  commandLine += '"';
}

// The job the importer runs in: its committed memory is capped, an unhandled
// exception ends it without an error dialog, it may start no processes of
// its own, and closing the job ends it.
Handle CreateLimitsJob(const ProcessLimits& limits) {
  Handle job(CreateJobObjectA(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION information = {};
  information.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION |
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_ACTIVE_PROCESS;
  information.BasicLimitInformation.ActiveProcessLimit = 1;
  information.ProcessMemoryLimit = SIZE_T{limits.memoryMegabytes} << 20;
  if (!SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &information,
                               sizeof information)) {
    job.Close();
  }
  return job;
}

// Collects what one pipe carries until it closes. Past maxOutput it ends the
// job, which closes the pipe.
class PipeReader {
 public:
  PipeReader(HANDLE pipe, HANDLE job, std::size_t maxOutput, std::string& sink)
      : thread_([this, pipe, job, maxOutput, &sink] {
          char buffer[65536];
          DWORD count = 0;
          while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            sink.append(buffer, count);
            if (sink.size() > maxOutput) {
              tooLarge_ = true;
              TerminateJobObject(job, 1);
              return;
            }
          }
        }) {}
  ~PipeReader() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool TooLarge() const { return tooLarge_; }

 private:
  std::atomic<bool> tooLarge_{false};
  std::thread thread_;
};

// Exception codes an importer crash ends with, and the runtime's abort status, by name.
std::string DescribeCrash(DWORD code) {
  switch (code) {
    case importer_protocol::kWindowsAbortStatus:
      return "Aborted";
    case EXCEPTION_ACCESS_VIOLATION:
      return "access violation";
    case EXCEPTION_STACK_OVERFLOW:
      return "stack overflow";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      return "division by zero";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
      return "illegal instruction";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
      return text;
    }
  }
}

// Exit codes at or above this are exception codes (NTSTATUS errors), which
// no program returns by itself.
constexpr DWORD kFirstExceptionCode = 0xC0000000;

}  // namespace

std::filesystem::path ImporterProgramBeside() {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0) return std::string(importer_protocol::kProgramName) + ".exe";
    if (length < self.size()) {
      self.resize(length);
      break;
    }
    self.resize(self.size() * 2);
  }
  return std::filesystem::path(self).parent_path() /
         (std::string(importer_protocol::kProgramName) + ".exe");
}

ProcessRun RunLimitedProcess(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const ProcessLimits& limits) {
  ProcessRun run;
  std::string commandLine;
  AppendQuoted(program.string(), commandLine);
  for (const std::string& argument : arguments) AppendQuoted(argument, commandLine);

  // Only the child's ends are inheritable; cmptool runs one importer at a
  // time on one thread, so no other process can inherit them meanwhile.
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  Handle outputRead, outputWrite, messagesRead, messagesWrite;
  if (!CreatePipe(outputRead.Out(), outputWrite.Out(), &inheritable, 0) ||
      !CreatePipe(messagesRead.Out(), messagesWrite.Out(), &inheritable, 0) ||
      !SetHandleInformation(outputRead.Get(), HANDLE_FLAG_INHERIT, 0) ||
      !SetHandleInformation(messagesRead.Get(), HANDLE_FLAG_INHERIT, 0)) {
    run.detail = LastError();
    return run;
  }
  Handle nothing(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr));
  Handle job = CreateLimitsJob(limits);
  if (!nothing || !job) {
    run.detail = LastError();
    return run;
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing.Get();
  startup.hStdOutput = outputWrite.Get();
  startup.hStdError = messagesWrite.Get();
  PROCESS_INFORMATION process = {};
  // Suspended until it is in the job, so it never runs without the limits.
  if (!CreateProcessA(program.string().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
    run.detail = LastError();
    return run;
  }
  Handle child(process.hProcess);
  Handle childThread(process.hThread);
  if (!AssignProcessToJobObject(job.Get(), child.Get())) {
    run.detail = LastError();
    TerminateProcess(child.Get(), 1);
    return run;
  }
  ResumeThread(childThread.Get());
  // The pipes close when the child ends only once our copies of its ends
  // are closed.
  outputWrite.Close();
  messagesWrite.Close();
  nothing.Close();

  const std::size_t maxOutput = std::size_t{limits.memoryMegabytes} << 20;
  PipeReader output(outputRead.Get(), job.Get(), maxOutput, run.output);
  PipeReader messages(messagesRead.Get(), job.Get(), maxOutput, run.messages);
  const DWORD waitMilliseconds = limits.timeoutSeconds * DWORD{1000};
  const bool timedOut = WaitForSingleObject(child.Get(), waitMilliseconds) == WAIT_TIMEOUT;
  if (timedOut) {
    TerminateJobObject(job.Get(), 1);
    WaitForSingleObject(child.Get(), INFINITE);
  }
  output.Join();
  messages.Join();

  if (output.TooLarge() || messages.TooLarge()) {
    run.end = ProcessEnd::OutputTooLarge;
    return run;
  }
  if (timedOut) {
    run.end = ProcessEnd::TimedOut;
    return run;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(child.Get(), &exitCode);
  if (exitCode >= kFirstExceptionCode || exitCode == importer_protocol::kWindowsAbortStatus) {
    run.end = ProcessEnd::Crashed;
    run.detail = DescribeCrash(exitCode);
    return run;
  }
  run.end = ProcessEnd::Exited;
  run.exitStatus = static_cast<int>(exitCode);
  return run;
}

}  // namespace svcmp
