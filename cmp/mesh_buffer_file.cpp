#include <system_error>

#include "cmp/cmp_assembly.h"
#include "utf/file_io.h"

namespace svcmp {

DataBlock TakeMeshBuffer(const CmpAssemblyInputs& inputs) {
  if (inputs.meshBuffer) return inputs.meshBuffer;
  const std::filesystem::path& meshBufferPath = inputs.meshBufferPath;
  FileReadResult read = ReadWholeFile(meshBufferPath);
  // The buffer belongs to this one export: it goes whether or not it could be read.
  std::error_code ignored;
  std::filesystem::remove(meshBufferPath, ignored);
  if (!read.bytes) return std::nullopt;
  return std::move(read.bytes);
}

}  // namespace svcmp
