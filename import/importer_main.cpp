// svcmp-import: reads one model file with assimp and writes it to stdout as a
// JSON model document. cmptool runs it as a process of its own under memory
// and time limits; the protocol is in importer_protocol.h.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "host/model_document_writer.h"
#include "import/assimp_loader.h"
#include "import/importer_protocol.h"
#include "import/model_format.h"

namespace {

namespace protocol = svcmp::importer_protocol;

int Refuse(const std::string& message) {
  std::fprintf(stderr, "%s%s\n", protocol::kErrorPrefix, message.c_str());
  return protocol::kExitRefused;
}

int Read(const std::string& path) {
  const svcmp::ModelFormatCheck format = svcmp::DetectModelFormat(path);
  if (!format.format) return Refuse(format.error);
  const svcmp::ModelLoadResult loaded = svcmp::LoadAssimpModel(path, *format.format);
  if (!loaded.model) return Refuse(loaded.error);
  const svcmp::ModelDocumentText document = svcmp::WriteModelDocument(*loaded.model);
  if (!document.error.empty()) return Refuse("\"" + path + "\": " + document.error);
  if (std::fwrite(document.text.data(), 1, document.text.size(), stdout) != document.text.size() ||
      std::fflush(stdout) != 0) {
    return Refuse("\"" + path + "\": the model cannot be passed on");
  }
  return protocol::kExitRead;
}

// Memory can also run out where no handler can catch it (a destructor, a
// noexcept function); the exit status still says so.
[[noreturn]] void Terminate() {
  if (const std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::bad_alloc&) {
      std::_Exit(protocol::kExitOutOfMemory);
    } catch (...) {
    }
  }
  std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(Terminate);
  if (argc != 3 || std::string_view(argv[1]) != protocol::kReadMode) {
    std::fprintf(stderr, "usage: %s %s MODEL\n", protocol::kProgramName, protocol::kReadMode);
    return protocol::kExitUsage;
  }
  try {
    return Read(argv[2]);
  } catch (const std::bad_alloc&) {
    return protocol::kExitOutOfMemory;
  }
}
