// svcmp-import: reads one model file with assimp and writes it to stdout as a
// JSON model document, or writes a scene document as a model file through
// assimp's exporter. cmptool runs it as a process of its own under memory and
// time limits; the protocol is in importer_protocol.h.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "host/model_document_writer.h"
#include "import/assimp_loader.h"
#include "import/assimp_writer.h"
#include "import/binary_output.h"
#include "import/export_formats.h"
#include "import/import_messages.h"
#include "import/importer_protocol.h"
#include "import/long_names.h"
#include "import/model_format.h"
#include "import/scene_document.h"
#include "utf/file_io.h"

namespace {

namespace protocol = svcmp::importer_protocol;

int Refuse(const std::string& message) {
  std::fprintf(stderr, "%s%s\n", protocol::kErrorPrefix, message.c_str());
  return protocol::kExitRefused;
}

int Read(const std::string& path) {
  const svcmp::ModelFormatCheck format = svcmp::DetectModelFormat(path);
  if (!format.format) return Refuse(format.error);
  if (*format.format == svcmp::ModelFormat::Blend) {
    return Refuse("\"" + path + "\": " + svcmp::import_messages::kBlendThroughBlender);
  }
  const svcmp::ModelLoadResult loaded = svcmp::LoadAssimpModel(path, *format.format);
  if (!loaded.model) return Refuse(loaded.error);
  const svcmp::ModelDocumentText document = svcmp::WriteModelDocument(*loaded.model);
  if (!document.error.empty()) return Refuse("\"" + path + "\": " + document.error);
  for (const std::string& warning : loaded.warnings) {
    std::fprintf(stderr, "%s%s\n", protocol::kWarningPrefix, warning.c_str());
  }
  for (const std::string& warning : svcmp::LongNameWarnings(*loaded.model)) {
    std::fprintf(stderr, "%s\"%s\": %s\n", protocol::kWarningPrefix, path.c_str(), warning.c_str());
  }
  if (std::fwrite(document.text.data(), 1, document.text.size(), stdout) != document.text.size() ||
      std::fflush(stdout) != 0) {
    return Refuse("\"" + path + "\": the model cannot be passed on");
  }
  return protocol::kExitRead;
}

int Write(const std::string& scenePath, const std::string& modelPath) {
  const std::string format = svcmp::ExportFormatFor(modelPath);
  if (format.empty()) return Refuse("\"" + modelPath + "\": " + protocol::kNotAWrittenFormat);
  const svcmp::FileReadResult text = svcmp::ReadWholeFile(scenePath);
  if (!text.bytes) return Refuse(text.reason);
  const svcmp::SceneDocumentResult scene = svcmp::ParseSceneDocument(
      std::string_view(reinterpret_cast<const char*>(text.bytes->data()), text.bytes->size()));
  if (!scene.scene) return Refuse("\"" + scenePath + "\": " + scene.error);
  const std::string failure = svcmp::WriteAssimpScene(*scene.scene, format, modelPath);
  if (!failure.empty()) return Refuse(failure);
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
  // The document and the message lines are cmptool's to read, byte for byte.
  svcmp::UseBinaryStandardOutput();
  std::set_terminate(Terminate);
  const bool read = argc == 3 && std::string_view(argv[1]) == protocol::kReadMode;
  const bool write = argc == 4 && std::string_view(argv[1]) == protocol::kWriteMode;
  if (!read && !write) {
    std::fprintf(stderr, "usage: %s %s MODEL\n       %s %s SCENE MODEL\n", protocol::kProgramName,
                 protocol::kReadMode, protocol::kProgramName, protocol::kWriteMode);
    return protocol::kExitUsage;
  }
  try {
    return read ? Read(argv[2]) : Write(argv[2], argv[3]);
  } catch (const std::bad_alloc&) {
    return protocol::kExitOutOfMemory;
  }
}
