// A program started or found by a scenario, as seen from outside.
#pragma once

#include <windows.h>

#include <string>

#include "Window.h"
#include "win/Handles.h"

namespace e2e {

// The process that started processId; 0 when there is none.
DWORD ParentProcessId(DWORD processId);

class CProcess {
 public:
  CProcess() = default;
  // Ends the process if it still runs: a failed scenario leaves nothing behind.
  ~CProcess();
  CProcess(CProcess&&) noexcept = default;
  CProcess& operator=(CProcess&& other) noexcept;

  // Starts program with arguments (after the quoted program path) in its
  // own folder, as a double-click does.
  static CProcess Start(const std::wstring& program, const std::wstring& arguments = {});
  static CProcess Attach(DWORD processId);

  explicit operator bool() const { return static_cast<bool>(m_hProcess); }
  DWORD Id() const { return m_id; }
  bool WaitExit(DWORD timeoutMs = kWaitMs) const {
    return m_hProcess && ::WaitForSingleObject(m_hProcess.get(), timeoutMs) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const;  // STILL_ACTIVE while it runs
  std::wstring ImagePath() const;
  // As the process reports it: C:\folder\ or Q:\, with a final backslash.
  std::wstring CurrentDirectory() const;

 private:
  win::UniqueHandle m_hProcess;
  DWORD m_id = 0;
};

}  // namespace e2e
