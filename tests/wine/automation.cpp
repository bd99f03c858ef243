#include "tests/wine/automation.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace svcmp::wine {
namespace {

constexpr auto kDeadline = std::chrono::seconds(10);
constexpr auto kPoll = std::chrono::milliseconds(20);
constexpr UINT kSendTimeoutMs = 5000;

struct DialogSearch {
  std::string caption;
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<DialogSearch*>(lParam);
  char className[32] = {};
  GetClassNameA(window, className, sizeof(className));
  char caption[256] = {};
  GetWindowTextA(window, caption, sizeof(caption));
  if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  if (search->caption != caption) return TRUE;
  if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindDialog(DWORD thread, const std::string& caption, HWND owner) {
  DialogSearch search{caption, owner, nullptr};
  EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Whether the window's thread handles messages again (it is in a message loop).
bool Responds(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam) {
  char className[32] = {};
  GetClassNameA(child, className, sizeof(className));
  if (std::string(className) == "Static") {
    char text[512] = {};
    GetWindowTextA(child, text, sizeof(text));
    *reinterpret_cast<std::string*>(lParam) += text;
  }
  return TRUE;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result)) {
    Fail("a window stopped answering messages");
  }
  return static_cast<LRESULT>(result);
}

}  // namespace

void Fail(const std::string& message) {
  std::fprintf(stderr, "FAILED: %s\n", message.c_str());
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 1);
  for (;;) {
  }
}

void Check(bool condition, const std::string& message) {
  if (!condition) Fail(message);
}

HWND Driver::WaitForDialog(const std::string& caption, HWND owner) const {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (std::chrono::steady_clock::now() < deadline) {
    if (HWND dialog = FindDialog(uiThread_, caption, owner); dialog && Responds(dialog)) {
      return dialog;
    }
    std::this_thread::sleep_for(kPoll);
  }
  Fail("the window \"" + caption + "\" did not appear");
}

HWND Driver::WaitForMessageBox(const std::string& caption, const std::string& text,
                               HWND owner) const {
  const HWND box = WaitForDialog(caption, owner);
  std::string shown;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&shown));
  Check(shown.find(text) != std::string::npos,
        "message box \"" + caption + "\" says \"" + shown + "\", expected \"" + text + "\"");
  return box;
}

void Driver::WaitGone(HWND window) const {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return;
    std::this_thread::sleep_for(kPoll);
  }
  Fail("a window did not close");
}

void Driver::ExpectNoDialog(const std::string& caption, int milliseconds) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < deadline) {
    Check(FindDialog(uiThread_, caption, nullptr) == nullptr,
          "the window \"" + caption + "\" appeared");
    std::this_thread::sleep_for(kPoll);
  }
}

void Driver::Click(HWND dialog, int id) const {
  // Posted: a handler that opens a message box would block a sent message.
  PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Driver::Command(HWND dialog, int id) const {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void Driver::CloseBox(HWND dialog) const { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

void Driver::SetText(HWND dialog, int id, const std::string& text) const {
  Send(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string Driver::Text(HWND dialog, int id) const {
  char text[512] = {};
  Send(GetDlgItem(dialog, id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  return text;
}

bool Driver::IsChecked(HWND dialog, int id) const {
  return Send(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Driver::IsVisible(HWND dialog, int id) const {
  return IsWindowVisible(GetDlgItem(dialog, id)) != 0;
}

int Driver::SliderPosition(HWND dialog, int id) const {
  return static_cast<int>(Send(GetDlgItem(dialog, id), TBM_GETPOS, 0, 0));
}

void Driver::SetSliderPosition(HWND dialog, int id, int position) const {
  Send(GetDlgItem(dialog, id), TBM_SETPOS, TRUE, position);
  // The repaint, and with it the custom-draw handler, comes with the next
  // paint; make it happen now.
  Send(GetDlgItem(dialog, id), WM_PAINT, 0, 0);
  UpdateWindow(GetDlgItem(dialog, id));
}

void Driver::AnswerFileDialog(const std::string& title, const std::string& path) const {
  const HWND dialog = WaitForDialog(title);
  constexpr int kFileNameField = 0x47C;
  const HWND field = GetDlgItem(dialog, kFileNameField);
  Check(field != nullptr, "the file dialog \"" + title + "\" has no file-name field");
  Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void Driver::CancelFileDialog(const std::string& title) const {
  PostMessageA(WaitForDialog(title), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

std::vector<std::string> Driver::TreeItems(HWND dialog, int id, bool& anyExpanded) const {
  const HWND tree = GetDlgItem(dialog, id);
  std::vector<std::string> items;
  anyExpanded = false;
  // The item's text must be readable by the UI thread's control: a buffer in
  // this process is enough, since both threads share it.
  std::vector<std::pair<HTREEITEM, int>> pending;
  auto next = [&](HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        Send(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  };
  if (HTREEITEM root = next(nullptr, TVGN_ROOT)) pending.emplace_back(root, 0);
  while (!pending.empty()) {
    const auto [item, depth] = pending.back();
    pending.pop_back();
    char text[256] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_STATE;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof(text);
    query.stateMask = TVIS_EXPANDED;
    Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    if (query.state & TVIS_EXPANDED) anyExpanded = true;
    items.push_back(std::to_string(depth) + ":" + text);
    if (HTREEITEM sibling = next(item, TVGN_NEXT)) pending.emplace_back(sibling, depth);
    if (HTREEITEM child = next(item, TVGN_CHILD)) pending.emplace_back(child, depth + 1);
  }
  return items;
}

void Driver::Screenshot(HWND window, const std::string& path) const {
  // A dialog that has just appeared may not have painted its controls yet.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  RECT area{};
  GetWindowRect(window, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + imageBytes;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&header, sizeof(header), 1, file);
    std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file);
    std::fwrite(pixels, 1, imageBytes, file);
    std::fclose(file);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace svcmp::wine
