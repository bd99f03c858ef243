#include "win32/file_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstddef>

namespace svcmp {
namespace {

static_assert(kFileDialogFlags == (OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
// The older layout without the trailing extension fields, which every
// Windows version the host runs on accepts.
constexpr DWORD kShortStructureSize = 76;
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == kShortStructureSize);
constexpr DWORD kPathBufferSize = 256;

// Pairs of zero-terminated name and pattern; the string's own terminator is
// the empty string that ends the list.
std::string FilterText(const std::vector<FileFilter>& filters) {
  std::string text;
  for (const FileFilter& filter : filters) {
    text += filter.name;
    text += '\0';
    text += filter.pattern;
    text += '\0';
  }
  return text;
}

}  // namespace

std::optional<std::string> AskForFileName(const FileDialogRequest& request) {
  std::array<char, kPathBufferSize> fileBuffer{};
  std::array<char, kPathBufferSize> titleBuffer{};
  const std::string filter = FilterText(request.filters);

  OPENFILENAMEA description{};
  description.lStructSize = kShortStructureSize;
  description.hwndOwner = nullptr;
  description.lpstrFilter = filter.c_str();
  description.nFilterIndex = 0;
  description.lpstrFile = fileBuffer.data();
  description.nMaxFile = kPathBufferSize;
  description.lpstrFileTitle = titleBuffer.data();
  description.nMaxFileTitle = kPathBufferSize;
  description.lpstrInitialDir = nullptr;
  description.lpstrTitle = request.title.c_str();
  description.Flags = request.flags;
  description.lpstrDefExt = request.defaultExtension.c_str();

  const BOOL chosen = request.kind == FileDialogKind::Open ? GetOpenFileNameA(&description)
                                                           : GetSaveFileNameA(&description);
  if (!chosen) return std::nullopt;
  return std::string(fileBuffer.data());
}

}  // namespace svcmp
