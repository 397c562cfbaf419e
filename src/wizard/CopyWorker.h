// The copy worker: the one thread besides the user interface. It runs the
// installation for the copy page: progress on the page's bar, questions in
// message boxes owned by the page. It talks to the page only through window
// messages and one event, the cancel request.
#pragma once

#include <windows.h>

#include "win/Handles.h"

#include <vector>

struct InstallPlan;

class CCopyWorker {
 public:
  CCopyWorker();
  // Waits for a run that still goes on: it reads the plan and the page.
  ~CCopyWorker();
  CCopyWorker(const CCopyWorker&) = delete;
  CCopyWorker& operator=(const CCopyWorker&) = delete;

  // Starts one run of plan (which must outlive it) on a thread of its own.
  // When the run has ended, page receives doneMessage with wParam TRUE when
  // the product is installed, FALSE when the run was abandoned (the user
  // confirmed Cancel, or the record failed). False when no thread could be
  // started, or one runs already.
  bool Start(const InstallPlan& plan, HWND page, UINT doneMessage);
  bool Running() const;
  // Asks for the run to end: the worker asks the user within a twentieth of
  // a second whether to abandon it, and carries on after No.
  void RequestCancel() { ::SetEvent(m_hCancelRequested.get()); }
  // Waits until the thread has ended (after doneMessage it ends at once).
  void Wait();

 private:
  static DWORD WINAPI ThreadProc(LPVOID parameter);

  const InstallPlan* m_plan = nullptr;
  HWND m_hPage = nullptr;
  UINT m_doneMessage = 0;
  win::UniqueThread m_hThread;
  win::UniqueEvent m_hCancelRequested;
};
