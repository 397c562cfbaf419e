#include "Window.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>
#include <utility>

#include "SystemState.h"

namespace e2e {

namespace {

constexpr UINT kMessageTimeoutMs = 5000;
// The text of a message box is the static control with this id.
constexpr int kMessageTextId = 0xFFFF;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[128] = {};
  const int length = ::GetClassNameW(hwnd, name, 128);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// WM_GETTEXT sent with a time limit: a control of another process answers
// through its own thread, which may be busy.
std::wstring TextOf(HWND hwnd) {
  if (hwnd == nullptr) return {};
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &copied))
    return {};
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

struct CEnumContext {
  const CWindowQuery* query;
  std::vector<CWindow>* found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
  auto* context = reinterpret_cast<CEnumContext*>(lParam);
  const CWindowQuery& query = *context->query;
  if (query.visibleOnly && !::IsWindowVisible(hwnd)) return TRUE;
  if (query.processId != 0) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hwnd, &processId);
    if (processId != query.processId) return TRUE;
  }
  if (!query.className.empty() && ClassOf(hwnd) != query.className) return TRUE;
  if (!query.caption.empty()) {
    // The caption as the window manager keeps it: no message to a thread
    // that may be busy.
    wchar_t caption[512] = {};
    ::GetWindowTextW(hwnd, caption, 512);
    if (query.caption != caption) return TRUE;
  }
  context->found->emplace_back(hwnd);
  return TRUE;
}

bool IsMessageBox(HWND hwnd) {
  const HWND text = ::GetDlgItem(hwnd, kMessageTextId);
  // A wizard sheet also has OK-like buttons, but its controls sit on
  // child dialogs (the pages).
  return text != nullptr && ClassOf(text) == L"Static" &&
         ::FindWindowExW(hwnd, nullptr, L"#32770", nullptr) == nullptr;
}

}  // namespace

bool CWindow::Exists() const { return m_hwnd != nullptr && ::IsWindow(m_hwnd); }
bool CWindow::IsVisible() const { return Exists() && ::IsWindowVisible(m_hwnd); }
bool CWindow::IsEnabled() const { return Exists() && ::IsWindowEnabled(m_hwnd); }
bool CWindow::IsForeground() const { return Exists() && ::GetForegroundWindow() == m_hwnd; }

DWORD CWindow::ProcessId() const {
  DWORD processId = 0;
  if (Exists()) ::GetWindowThreadProcessId(m_hwnd, &processId);
  return processId;
}

std::wstring CWindow::Text() const { return TextOf(m_hwnd); }
std::wstring CWindow::ClassName() const { return ClassOf(m_hwnd); }
CWindow CWindow::Owner() const { return CWindow(Exists() ? ::GetWindow(m_hwnd, GW_OWNER) : nullptr); }

HWND CWindow::Control(int id) const { return Exists() ? ::GetDlgItem(m_hwnd, id) : nullptr; }
std::wstring CWindow::ControlText(int id) const { return TextOf(Control(id)); }

bool CWindow::ControlEnabled(int id) const {
  const HWND control = Control(id);
  return control != nullptr && ::IsWindowEnabled(control);
}

bool CWindow::ControlVisible(int id) const {
  const HWND control = Control(id);
  return control != nullptr && ::IsWindowVisible(control);
}

LONG_PTR CWindow::ControlStyle(int id) const {
  const HWND control = Control(id);
  return control != nullptr ? ::GetWindowLongPtrW(control, GWL_STYLE) : 0;
}

std::optional<LRESULT> CWindow::SendToControl(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  const HWND control = Control(id);
  DWORD_PTR result = 0;
  if (control == nullptr ||
      !::SendMessageTimeoutW(control, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result))
    return std::nullopt;
  return static_cast<LRESULT>(result);
}

bool CWindow::Click(int id, DWORD timeoutMs) const {
  // A person waits for a button to become available: a state posted by the
  // program (the wizard's buttons, an owner re-enabled after a modal loop)
  // may arrive a moment after the window is shown.
  const auto usable = [&](HWND button) {
    if (button == nullptr || !::IsWindowVisible(button) || !::IsWindowEnabled(button)) return false;
    // A modal dialog disables its owner, and with it everything on it.
    const HWND root = ::GetAncestor(button, GA_ROOT);
    return IsVisible() && IsEnabled() && (root == nullptr || ::IsWindowEnabled(root));
  };
  HWND button = Control(id);
  for (const DWORD start = ::GetTickCount(); !usable(button); button = Control(id)) {
    if (!Exists() || ::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
  return ::PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

bool CWindow::PressKey(UINT virtualKey) const {
  if (!IsVisible() || !IsEnabled()) return false;
  const DWORD threadId = ::GetWindowThreadProcessId(m_hwnd, nullptr);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = m_hwnd;
  if (::GetGUIThreadInfo(threadId, &info) && info.hwndFocus != nullptr &&
      (info.hwndFocus == m_hwnd || ::IsChild(m_hwnd, info.hwndFocus)))
    target = info.hwndFocus;
  const UINT scanCode = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scanCode) << 16);
  const LPARAM up = down | (LPARAM{1} << 30) | (LPARAM{1} << 31);
  if (!::PostMessageW(target, WM_KEYDOWN, virtualKey, down)) return false;
  // A window that closes on the key-down (Esc) may be gone before the
  // key-up is posted: the key was pressed all the same.
  (void)::PostMessageW(target, WM_KEYUP, virtualKey, up);
  return true;
}

bool CWindow::Close() const {
  if (!IsVisible() || !IsEnabled()) return false;
  return ::PostMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

bool CWindow::WaitGone(DWORD timeoutMs) const {
  const DWORD start = ::GetTickCount();
  while (IsVisible()) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
  return true;
}

bool CWindow::StaysOpen(DWORD quietMs) const {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < quietMs) {
    if (!IsVisible()) return false;
    ::Sleep(20);
  }
  return IsVisible();
}

std::vector<CWindow> FindWindows(const CWindowQuery& query) {
  std::vector<CWindow> found;
  CEnumContext context{&query, &found};
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
  return found;
}

std::vector<CWindow> FindWindows(const std::wstring& caption) { return FindWindows({caption, L"", 0, true}); }

CWindow WaitWindow(const std::wstring& caption, DWORD processId, int readyControl, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    for (const CWindow& window : FindWindows({caption, L"", processId, true})) {
      if (readyControl == 0 || window.Control(readyControl) != nullptr) return window;
    }
    if (::GetTickCount() - start >= timeoutMs) return CWindow();
    ::Sleep(20);
  }
}

std::wstring DescribeWindows() {
  // Visible windows, and hidden dialogs too: a hidden window with the
  // launcher's caption still counts for the single-instance test.
  std::wstring description = L"top-level windows:\n";
  CWindowQuery all;
  all.visibleOnly = false;
  for (const CWindow& window : FindWindows(all)) {
    if (!window.IsVisible() && window.ClassName() != L"#32770") continue;
    wchar_t line[64];
    std::swprintf(line, 64, L"  pid %lu %ls %ls ", static_cast<unsigned long>(window.ProcessId()),
                  window.IsVisible() ? L"visible" : L"hidden ", window.IsEnabled() ? L"enabled " : L"disabled");
    description += line + window.ClassName() + L" \"" + window.Text() + L"\"\n";
  }
  return description;
}

bool TakeScreenshot(const std::wstring& name, const std::vector<CWindow>& windows) {
  wchar_t shots[8] = {};
  if (::GetEnvironmentVariableW(L"E2E_SHOTS", shots, 8) == 0) return true;
  std::string request;
  for (const wchar_t c : name) {
    if (c > 0x7F || !(std::iswalnum(c) || c == L'-' || c == L'_')) return false;
    request += static_cast<char>(c);
  }
  if (request.empty() || windows.empty()) return false;
  // The last window is the one the user works with: active, as it would be.
  // Activated from another process, its title bar is not redrawn as active
  // on Wine's virtual desktop; WM_NCACTIVATE redraws it.
  (void)::SetForegroundWindow(windows.back().Handle());
  DWORD_PTR ignored = 0;
  (void)::SendMessageTimeoutW(windows.back().Handle(), WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                              &ignored);

  // Each window's own X window (Wine keeps its id as a window property):
  // the harness lays them over the desktop's picture, in this order. A
  // picture of the desktop alone may show a window that has not reached the
  // desktop's X window yet as a black area.
  RECT area{};
  std::string placed;
  for (const CWindow& window : windows) {
    RECT rect{};
    if (!window.IsVisible() || !::GetWindowRect(window.Handle(), &rect)) return false;
    ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::UnionRect(&area, &area, &rect);
    const auto xid = reinterpret_cast<ULONG_PTR>(::GetPropW(window.Handle(), L"__wine_x11_whole_window"));
    char line[80];
    std::snprintf(line, sizeof line, "%lu %ld %ld\n", static_cast<unsigned long>(xid), static_cast<long>(rect.left),
                  static_cast<long>(rect.top));
    if (xid != 0) placed += line;
  }
  ::Sleep(500);
  // A margin of desktop around the windows, within the screen.
  constexpr LONG kMargin = 12;
  area.left = std::max<LONG>(0, area.left - kMargin);
  area.top = std::max<LONG>(0, area.top - kMargin);
  area.right = std::min<LONG>(::GetSystemMetrics(SM_CXSCREEN), area.right + kMargin);
  area.bottom = std::min<LONG>(::GetSystemMetrics(SM_CYSCREEN), area.bottom + kMargin);

  // The request for the harness: the name; left top right bottom of the
  // picture; one line "X-window-id left top" per window. It appears whole
  // (renamed into place) and is removed once the picture is taken.
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "\n%ld %ld %ld %ld\n", static_cast<long>(area.left),
                static_cast<long>(area.top), static_cast<long>(area.right), static_cast<long>(area.bottom));
  request += numbers + placed;
  const std::wstring pending = JoinPath(WorkDir(), L"shot-request.tmp");
  const std::wstring ready = JoinPath(WorkDir(), L"shot-request.txt");
  const std::wstring taken = JoinPath(WorkDir(), L"shot-taken.txt");
  (void)::DeleteFileW(taken.c_str());  // absent before the first picture
  if (!WriteFileBytes(pending, request) || !::MoveFileExW(pending.c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING))
    return false;
  const DWORD start = ::GetTickCount();
  while (FileExists(ready)) {
    if (::GetTickCount() - start >= kWaitMs) return false;
    ::Sleep(50);
  }
  return FileExists(taken);
}

bool CMessageBox::Answer(int id) const { return window.Click(id) && window.WaitGone(); }

std::vector<CMessageBox> MessageBoxes(DWORD processId) {
  static const int kButtonIds[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDHELP, IDTRYAGAIN, IDCONTINUE};
  std::vector<CMessageBox> boxes;
  for (const CWindow& window : FindWindows({L"", L"#32770", processId, true})) {
    if (!IsMessageBox(window.Handle())) continue;
    CMessageBox box;
    box.window = window;
    box.caption = window.Text();
    box.text = window.ControlText(kMessageTextId);
    box.owner = window.Owner();
    std::vector<std::pair<LONG, int>> placed;
    for (const int id : kButtonIds) {
      const HWND button = window.Control(id);
      if (button == nullptr || !::IsWindowVisible(button)) continue;
      RECT rect{};
      ::GetWindowRect(button, &rect);
      placed.emplace_back(rect.left, id);
      if ((::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) box.defaultButton = id;
    }
    std::sort(placed.begin(), placed.end());
    for (const auto& button : placed) box.buttons.push_back(button.second);
    boxes.push_back(box);
  }
  return boxes;
}

std::optional<CMessageBox> WaitMessageBox(DWORD processId, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    std::vector<CMessageBox> boxes = MessageBoxes(processId);
    // A box is ready once its text is there.
    if (!boxes.empty() && !boxes.front().text.empty()) return boxes.front();
    if (::GetTickCount() - start >= timeoutMs) {
      if (!boxes.empty()) return boxes.front();
      return std::nullopt;
    }
    ::Sleep(20);
  }
}

}  // namespace e2e
