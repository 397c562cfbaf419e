// Programs started or found by a scenario, and what can be seen of them from
// outside: whether they run, their image path, current directory and
// command line, and whether they ever showed a window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"
#include "win/Handles.h"

namespace e2e {

class CProcess {
 public:
  CProcess() = default;
  // Ends the process if it still runs (unless detached), so that a failed
  // scenario leaves nothing behind that could disturb the next step.
  ~CProcess();
  CProcess(CProcess&& other) noexcept = default;
  CProcess& operator=(CProcess&& other) noexcept;

  // Starts program with arguments (appended after the quoted program path,
  // as they stand) in folder; an empty folder means the program's own
  // folder, as when a person double-clicks it. suspended: the caller calls
  // Resume, e.g. after it has begun to watch the process's windows.
  static CProcess Start(const std::wstring& program, const std::wstring& arguments = {},
                        const std::wstring& folder = {}, bool suspended = false);
  // A process the scenario did not start itself (e.g. one that the program
  // under test started).
  static CProcess Attach(DWORD processId);

  explicit operator bool() const { return static_cast<bool>(m_hProcess); }
  DWORD Id() const { return m_id; }
  HANDLE Handle() const { return m_hProcess.get(); }
  bool Resume();

  bool IsRunning() const;
  // True when the process has ended within timeoutMs.
  bool WaitExit(DWORD timeoutMs = kWaitMs) const;
  std::optional<DWORD> ExitCode() const;
  // Ends the process now (exit code 1) and waits for its end.
  void Terminate();
  // Stops owning the process: it is no longer ended by the destructor.
  void Detach();

  // The full path of its program file, e.g. C:\users\x\Temp\setup_A.exe.
  std::wstring ImagePath() const;
  // Read from the running process: its current directory as it reports it
  // (C:\folder\ or Q:\, with a final backslash) and its command line.
  std::wstring CurrentDirectory() const;
  std::wstring CommandLine() const;

 private:
  win::UniqueHandle m_hProcess;
  win::UniqueHandle m_hThread;  // only while started suspended
  DWORD m_id = 0;
  bool m_bOwned = true;
};

// Ids of the running processes whose program file is named fileName
// (compared case-insensitively, without folder).
std::vector<DWORD> FindProcesses(const std::wstring& fileName);
// Every running process: id, parent and program file. For failure messages.
std::wstring DescribeProcesses();
// Waits until a process with that program file name runs; an empty
// CProcess when none appears in time.
CProcess WaitProcess(const std::wstring& fileName, DWORD timeoutMs = kWaitMs);

// What a process showed while a scenario watched it.
struct CWatchResult {
  bool exited = false;       // it ended within the time allowed
  bool windowShown = false;  // a visible top-level window or a dialog of it appeared
  std::wstring windows;      // describes them, for the failure message
  CProcess process;          // the process watched by RunWatchingWindows
};

// Starts program suspended, watches every window it creates from its very
// first instruction, and waits for its end or its first window, whichever
// comes first. For starts that must end silently: exited && !windowShown.
// A process that still runs is ended with the result, unless detached.
CWatchResult RunWatchingWindows(const std::wstring& program, const std::wstring& arguments = {},
                                const std::wstring& folder = {}, DWORD timeoutMs = kWaitMs);
// Watches a process that is already running until it ends or shows a window.
CWatchResult WatchUntilExit(const CProcess& process, DWORD timeoutMs = kWaitMs);

}  // namespace e2e
