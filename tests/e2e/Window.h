// Windows of a program, worked as a person would: found by caption, read
// through messages, clicked only where a person could click; across
// processes and within one (the copy benchmark).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// How long a step waits for what should happen (generous: two prefixes may
// share two cores), and watches for what must not.
inline constexpr DWORD kWaitMs = 20000, kQuietMs = 800;

// Polls every 20 ms until done() holds or timeoutMs have passed; returns
// done()'s last answer.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs = kWaitMs) {
  for (const DWORD start = ::GetTickCount(); !done(); ::Sleep(20)) {
    if (::GetTickCount() - start >= timeoutMs) return done();
  }
  return true;
}

// Wizard buttons; the pages' controls are the product's (res/resource.h).
inline constexpr int kBack = 0x3023, kNext = 0x3024, kFinish = 0x3025;

// Names a window of any process; owns nothing.
class CWindow {
 public:
  CWindow() = default;
  explicit CWindow(HWND hwnd) : m_hwnd(hwnd) {}

  HWND Handle() const { return m_hwnd; }
  explicit operator bool() const { return m_hwnd != nullptr; }
  bool Exists() const;
  bool IsVisible() const;
  bool IsEnabled() const;
  DWORD ProcessId() const;
  std::wstring Text() const;
  std::wstring ClassName() const;

  HWND Control(int id) const;
  std::wstring ControlText(int id) const;
  bool ControlEnabled(int id) const;
  bool ControlVisible(int id) const;
  LONG_PTR ControlStyle(int id) const;
  // Only for messages whose parameters are plain numbers: no pointer
  // crosses processes. Nothing when the control does not answer.
  std::optional<LRESULT> Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // Posts a click once, within timeoutMs, the button and its window are
  // visible and enabled (Wine would press a disabled one).
  [[nodiscard]] bool Click(int id, DWORD timeoutMs = kWaitMs) const;
  // A key typed at the window's focused control (Esc, Enter).
  [[nodiscard]] bool PressKey(UINT virtualKey) const;
  [[nodiscard]] bool Close() const;  // the close box
  bool WaitGone(DWORD timeoutMs = kWaitMs) const;
  // Still visible after quietMs: for commands that must not close it.
  bool StaysOpen(DWORD quietMs = kQuietMs) const;

 private:
  HWND m_hwnd = nullptr;
};

// Visible top-level windows with exactly this caption (any, when empty),
// of processId (any, when 0).
std::vector<CWindow> FindWindows(const std::wstring& caption, DWORD processId = 0);
// Waits for such a window whose control readyControl exists (0: any).
CWindow WaitWindow(const std::wstring& caption, DWORD processId = 0, int readyControl = 0,
                   DWORD timeoutMs = kWaitMs);
// Every visible top-level window and every dialog: for failure messages.
std::wstring DescribeWindows();

// A wizard sheet's pages, by index.
CWindow WizardPage(const CWindow& sheet, int index = -1);  // -1: the current one
int PageIndex(const CWindow& sheet);
// Waits until page index is current with its buttons in place.
bool WaitPage(const CWindow& sheet, int index, DWORD timeoutMs = kWaitMs);
// Types a folder into the current page's folder box.
bool TypeFolder(const CWindow& sheet, const std::wstring& folder);

// Buttons of a message box are the platform's IDOK... ids.
struct CMessageBox {
  CWindow window;
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // visible ones, left to right
  int defaultButton = 0;     // drawn as default push button; 0 if none
  HWND owner = nullptr;

  // Presses button id and waits until the box is gone.
  [[nodiscard]] bool Answer(int id) const { return window.Click(id) && window.WaitGone(); }
};
std::vector<CMessageBox> MessageBoxes(DWORD processId);
// Waits for a box of processId with its text; nothing when none comes.
std::optional<CMessageBox> WaitMessageBox(DWORD processId, DWORD timeoutMs = kWaitMs);

}  // namespace e2e
