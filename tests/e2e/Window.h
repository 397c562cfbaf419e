// Windows of the program under test, seen and worked from outside as a
// person would: found by caption, read through messages, clicked only where
// a person could click.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"

namespace e2e {

// A top-level window or a dialog of another process. Copyable: it only
// names the window, it owns nothing.
class CWindow {
 public:
  CWindow() = default;
  explicit CWindow(HWND hwnd) : m_hwnd(hwnd) {}

  HWND Handle() const { return m_hwnd; }
  explicit operator bool() const { return m_hwnd != nullptr; }
  bool Exists() const;
  bool IsVisible() const;
  bool IsEnabled() const;
  bool IsForeground() const;
  DWORD ProcessId() const;
  std::wstring Text() const;
  std::wstring ClassName() const;
  CWindow Owner() const;

  // A control by its id; null when the window has none.
  HWND Control(int id) const;
  std::wstring ControlText(int id) const;
  bool ControlEnabled(int id) const;
  bool ControlVisible(int id) const;
  LONG_PTR ControlStyle(int id) const;
  // Sends a message to a control and returns its result; nothing when the
  // control does not exist or does not answer in time. Only for messages
  // whose parameters are plain numbers (no pointers cross processes).
  std::optional<LRESULT> SendToControl(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // Presses a button, as a person's click would: only once the button and
  // its window are visible and enabled (Wine would press a disabled one),
  // waiting up to timeoutMs for that; false when they never were.
  // Posted, so a click that opens a modal loop does not block the driver.
  [[nodiscard]] bool Click(int id, DWORD timeoutMs = kWaitMs) const;
  // A key typed into the window's thread, at its focused control (Esc, Enter).
  [[nodiscard]] bool PressKey(UINT virtualKey) const;
  // The close box.
  [[nodiscard]] bool Close() const;
  // True when the window is gone (destroyed or hidden) within timeoutMs.
  bool WaitGone(DWORD timeoutMs = kWaitMs) const;
  // True when the window is still there after quietMs: for commands that
  // must not close it.
  bool StaysOpen(DWORD quietMs = kQuietMs) const;

 private:
  HWND m_hwnd = nullptr;
};

// Which top-level windows to look for; empty fields match everything.
struct CWindowQuery {
  std::wstring caption;    // exact
  std::wstring className;  // e.g. L"#32770" for dialogs and message boxes
  DWORD processId = 0;
  bool visibleOnly = true;
};

std::vector<CWindow> FindWindows(const CWindowQuery& query);
// The visible top-level windows with exactly this caption.
std::vector<CWindow> FindWindows(const std::wstring& caption);
// Waits for a visible top-level window with that caption (of that process,
// when processId is given) whose control readyControl exists (0: any).
CWindow WaitWindow(const std::wstring& caption, DWORD processId = 0, int readyControl = 0, DWORD timeoutMs = kWaitMs);
// Every visible top-level window and every hidden dialog: process, state,
// class, caption. For failure messages.
std::wstring DescribeWindows();

// A picture of the screen area that the windows cover, with their frames,
// saved as docs/screenshots/<name>.png (name: letters, digits, - and _).
// Only scripts/screenshots.sh takes pictures, on Wine's virtual desktop;
// in every other run this does nothing and returns true.
[[nodiscard]] bool TakeScreenshot(const std::wstring& name, const std::vector<CWindow>& windows);

// Buttons of a message box, by the platform's ids.
// IDOK 1, IDCANCEL 2, IDABORT 3, IDRETRY 4, IDIGNORE 5, IDYES 6, IDNO 7.
struct CMessageBox {
  CWindow window;
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // visible ones, left to right
  int defaultButton = 0;     // the one drawn as default push button; 0 if none
  CWindow owner;

  // Presses button id and waits until the box is gone.
  [[nodiscard]] bool Answer(int id) const;
};

// The message boxes that processId shows now.
std::vector<CMessageBox> MessageBoxes(DWORD processId);
// Waits for a message box of processId; nothing when none appears in time.
std::optional<CMessageBox> WaitMessageBox(DWORD processId, DWORD timeoutMs = kWaitMs);

}  // namespace e2e
