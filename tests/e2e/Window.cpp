#include "Window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "res/resource.h"

namespace e2e {

namespace {

constexpr UINT kMessageTimeoutMs = 5000;
constexpr int kMessageTextId = 0xFFFF;  // a message box's text

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[128] = {};
  const int length = ::GetClassNameW(hwnd, name, 128);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// Sent with a time limit: another process answers on its own thread.
LRESULT SendTimed(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool* answered = nullptr) {
  DWORD_PTR result = 0;
  const bool ok = hwnd && ::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                                kMessageTimeoutMs, &result);
  if (answered) *answered = ok;
  return ok ? static_cast<LRESULT>(result) : 0;
}

std::wstring TextOf(HWND hwnd) {
  const auto length = static_cast<std::size_t>(SendTimed(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(
      SendTimed(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(copied, length));
  return text;
}

BOOL CALLBACK AddWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

// Top-level windows with exactly this caption (any, when empty), of
// processId (any, when 0).
std::vector<CWindow> Collect(const std::wstring& caption, DWORD processId, bool visibleOnly) {
  std::vector<HWND> all;
  ::EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<CWindow> found;
  for (const HWND hwnd : all) {
    wchar_t text[512] = {};  // as the window manager keeps it: no message to a busy thread
    ::GetWindowTextW(hwnd, text, 512);
    if ((!visibleOnly || ::IsWindowVisible(hwnd)) &&
        (processId == 0 || CWindow(hwnd).ProcessId() == processId) &&
        (caption.empty() || caption == text))
      found.emplace_back(hwnd);
  }
  return found;
}

}  // namespace

bool CWindow::Exists() const { return m_hwnd != nullptr && ::IsWindow(m_hwnd); }
bool CWindow::IsVisible() const { return Exists() && ::IsWindowVisible(m_hwnd); }
bool CWindow::IsEnabled() const { return Exists() && ::IsWindowEnabled(m_hwnd); }

DWORD CWindow::ProcessId() const {
  DWORD processId = 0;
  if (Exists()) ::GetWindowThreadProcessId(m_hwnd, &processId);
  return processId;
}

std::wstring CWindow::Text() const { return TextOf(m_hwnd); }
std::wstring CWindow::ClassName() const { return ClassOf(m_hwnd); }
HWND CWindow::Control(int id) const { return Exists() ? ::GetDlgItem(m_hwnd, id) : nullptr; }
std::wstring CWindow::ControlText(int id) const { return TextOf(Control(id)); }
bool CWindow::ControlEnabled(int id) const { return Control(id) && ::IsWindowEnabled(Control(id)); }
bool CWindow::ControlVisible(int id) const { return Control(id) && ::IsWindowVisible(Control(id)); }
LONG_PTR CWindow::ControlStyle(int id) const {
  return Control(id) ? ::GetWindowLongPtrW(Control(id), GWL_STYLE) : 0;
}

std::optional<LRESULT> CWindow::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  bool answered = false;
  const LRESULT result = SendTimed(Control(id), message, wParam, lParam, &answered);
  return answered ? std::optional<LRESULT>(result) : std::nullopt;
}

bool CWindow::Click(int id, DWORD timeoutMs) const {
  // A state posted by the program (the wizard's buttons, an owner enabled
  // again after a modal loop) may come a moment after the window shows.
  const auto usable = [&] {
    const HWND button = Control(id);
    const HWND root = button ? ::GetAncestor(button, GA_ROOT) : nullptr;
    return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button) && IsVisible() &&
           IsEnabled() &&
           (root == nullptr || ::IsWindowEnabled(root));  // a modal dialog disables its owner
  };
  return WaitUntil(usable, timeoutMs) && ::PostMessageW(Control(id), BM_CLICK, 0, 0);
}

bool CWindow::PressKey(UINT virtualKey) const {
  if (!IsVisible() || !IsEnabled()) return false;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = m_hwnd;
  if (::GetGUIThreadInfo(::GetWindowThreadProcessId(m_hwnd, nullptr), &info) &&
      info.hwndFocus != nullptr && (info.hwndFocus == m_hwnd || ::IsChild(m_hwnd, info.hwndFocus)))
    target = info.hwndFocus;
  const LPARAM down =
      1 | (static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16);
  if (!::PostMessageW(target, WM_KEYDOWN, virtualKey, down)) return false;
  // A window that closes on the key-down may be gone before the key-up.
  (void)::PostMessageW(target, WM_KEYUP, virtualKey, down | (LPARAM{1} << 30) | (LPARAM{1} << 31));
  return true;
}

bool CWindow::Close() const {
  return IsVisible() && IsEnabled() && ::PostMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}
bool CWindow::WaitGone(DWORD timeoutMs) const {
  return WaitUntil([&] { return !IsVisible(); }, timeoutMs);
}

bool CWindow::StaysOpen(DWORD quietMs) const {
  return !WaitUntil([&] { return !IsVisible(); }, quietMs);
}

std::vector<CWindow> FindWindows(const std::wstring& caption, DWORD processId) {
  return Collect(caption, processId, true);
}

CWindow WaitWindow(const std::wstring& caption, DWORD processId, int readyControl,
                   DWORD timeoutMs) {
  CWindow found;
  WaitUntil(
      [&] {
        for (const CWindow& window : FindWindows(caption, processId)) {
          if (readyControl == 0 || window.Control(readyControl)) return (found = window), true;
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::wstring DescribeWindows() {
  std::wstring description = L"top-level windows:\n";
  for (const CWindow& window : Collect(L"", 0, false)) {
    if (!window.IsVisible() && window.ClassName() != L"#32770") continue;
    description += L"  pid " + std::to_wstring(window.ProcessId()) +
                   (window.IsVisible() ? L" visible " : L" hidden ") +
                   (window.IsEnabled() ? L"enabled " : L"disabled ") + window.ClassName() + L" \"" +
                   window.Text() + L"\"\n";
  }
  return description;
}

CWindow WizardPage(const CWindow& sheet, int index) {
  return CWindow(
      reinterpret_cast<HWND>(index < 0 ? SendTimed(sheet.Handle(), PSM_GETCURRENTPAGEHWND, 0, 0)
                                       : SendTimed(sheet.Handle(), PSM_INDEXTOHWND, index, 0)));
}

int PageIndex(const CWindow& sheet) {
  const HWND page = WizardPage(sheet).Handle();
  return page ? static_cast<int>(
                    SendTimed(sheet.Handle(), PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0))
              : -1;
}

bool WaitPage(const CWindow& sheet, int index, DWORD timeoutMs) {
  // The destination page (not the repair's first) posts Next alone (the
  // sheet starts with Back enabled too); the finish page shows Finish.
  return WaitUntil(
      [&] {
        if (!sheet.Exists() || PageIndex(sheet) != index) return false;
        if (index == 0 && WizardPage(sheet).Control(IDC_FOLDER_EDIT))
          return sheet.ControlEnabled(kNext) && !sheet.ControlEnabled(kBack);
        return index == 2 ? sheet.ControlVisible(kFinish) : true;
      },
      timeoutMs);
}

bool TypeFolder(const CWindow& sheet, const std::wstring& folder) {
  // WM_SETTEXT is the one pointer message the system carries across.
  const HWND edit = WizardPage(sheet).Control(IDC_FOLDER_EDIT);
  return edit && SendTimed(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
}

std::vector<CMessageBox> MessageBoxes(DWORD processId) {
  std::vector<CMessageBox> boxes;
  for (const CWindow& window : FindWindows(L"", processId)) {
    // A wizard sheet also has OK-like buttons, but its controls sit on child
    // dialogs (the pages).
    const HWND text = window.Control(kMessageTextId);
    if (window.ClassName() != L"#32770" || !text || ClassOf(text) != L"Static" ||
        ::FindWindowExW(window.Handle(), nullptr, L"#32770", nullptr))
      continue;
    CMessageBox box{window, window.Text(), window.ControlText(kMessageTextId)};
    box.owner = ::GetWindow(window.Handle(), GW_OWNER);
    std::vector<std::pair<LONG, int>> placed;
    for (const int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
      RECT rect{};
      if (!window.ControlVisible(id) || !::GetWindowRect(window.Control(id), &rect)) continue;
      placed.emplace_back(rect.left, id);
      if ((window.ControlStyle(id) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) box.defaultButton = id;
    }
    std::sort(placed.begin(), placed.end());
    for (const auto& button : placed) box.buttons.push_back(button.second);
    boxes.push_back(box);
  }
  return boxes;
}

std::optional<CMessageBox> WaitMessageBox(DWORD processId, DWORD timeoutMs) {
  std::vector<CMessageBox> boxes;
  // A box is ready once its text is there.
  WaitUntil(
      [&] { return !(boxes = MessageBoxes(processId)).empty() && !boxes.front().text.empty(); },
      timeoutMs);
  if (boxes.empty()) return std::nullopt;
  return boxes.front();
}

}  // namespace e2e
