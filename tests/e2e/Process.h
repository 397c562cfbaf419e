// Programs started or found by a scenario, and what can be seen of them from
// outside: whether they run, their image path and current directory, and
// whether they ever showed a window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Window.h"
#include "win/Handles.h"

namespace e2e {

class CProcess {
 public:
  CProcess() = default;
  // Ends the process if it still runs, so that a failed scenario leaves
  // nothing behind.
  ~CProcess();
  CProcess(CProcess&&) noexcept = default;
  CProcess& operator=(CProcess&& other) noexcept;

  // Starts program with arguments (after the quoted program path) in
  // folder; an empty folder is the program's own, as a double-click gives.
  static CProcess Start(const std::wstring& program, const std::wstring& arguments = {},
                        const std::wstring& folder = {}, bool suspended = false);
  static CProcess Attach(DWORD processId);

  explicit operator bool() const { return static_cast<bool>(m_hProcess); }
  DWORD Id() const { return m_id; }
  HANDLE Handle() const { return m_hProcess.get(); }
  void Resume() const { ::ResumeThread(m_hThread.get()); }  // after a suspended Start
  bool IsRunning() const {
    return m_hProcess && ::WaitForSingleObject(m_hProcess.get(), 0) == WAIT_TIMEOUT;
  }
  bool WaitExit(DWORD timeoutMs = kWaitMs) const {
    return m_hProcess && ::WaitForSingleObject(m_hProcess.get(), timeoutMs) == WAIT_OBJECT_0;
  }
  std::wstring ImagePath() const;
  // As the process reports it: C:\folder\ or Q:\, with a final backslash.
  std::wstring CurrentDirectory() const;

 private:
  win::UniqueHandle m_hProcess;
  win::UniqueHandle m_hThread;
  DWORD m_id = 0;
};

// Ids of the running processes whose program file is named fileName.
std::vector<DWORD> FindProcesses(const std::wstring& fileName);
// Every running process, for failure messages.
std::wstring DescribeProcesses();

struct CWatchResult {
  bool exited = false;       // it ended within the time allowed
  bool windowShown = false;  // a visible window or a dialog of it appeared
  std::wstring windows;      // describes them, for the failure message
  CProcess process;
};
// Starts program suspended, watches every dialog it creates from its first
// instruction, and waits for its end or its first window.
CWatchResult RunWatchingWindows(const std::wstring& program, const std::wstring& arguments = {});

}  // namespace e2e
