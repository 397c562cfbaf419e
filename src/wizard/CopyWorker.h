// The copy worker: the one thread besides the user interface. It runs the
// installation for the copy page: progress on the page's bar, questions
// asked through the page, which shows them. It talks to the page only
// through window messages and one event, the cancel request, and creates no
// window of its own.
#pragma once

#include <windows.h>

#include "win/Handles.h"

#include <string>
#include <vector>

struct InstallPlan;

// A question of the run: sent to the page as its askMessage, lParam pointing
// at it while the message is handled. The page shows text in a message box
// with these buttons (MB_...) and answers with the button pressed (ID...);
// 0, from a page that is gone, ends the run.
struct CopyQuestion {
  std::wstring text;
  UINT buttons = MB_OK;
};

class CCopyWorker {
 public:
  CCopyWorker();
  // Waits for a run that still goes on: it reads the plan and the page.
  ~CCopyWorker();
  CCopyWorker(const CCopyWorker&) = delete;
  CCopyWorker& operator=(const CCopyWorker&) = delete;

  // Starts one run of plan (which must outlive it) on a thread of its own.
  // Its questions reach page as askMessage (a CopyQuestion, sent: the worker
  // waits for the answer). When the run has ended, page receives
  // doneMessage (posted) with wParam TRUE when the product is installed,
  // FALSE when the run was abandoned (the user confirmed Cancel, or the
  // record failed). False when no thread could be started, or one runs
  // already.
  bool Start(const InstallPlan& plan, HWND page, UINT askMessage, UINT doneMessage);
  bool Running() const;
  // Asks for the run to end: the worker asks the user within
  // kUpdateIntervalMs whether to abandon it, and carries on after No.
  void RequestCancel() { ::SetEvent(m_hCancelRequested.get()); }
  // Waits until the thread has ended (after doneMessage it ends at once),
  // answering what it sends meanwhile, so that it never waits on this wait.
  void Wait();

 private:
  static DWORD WINAPI ThreadProc(LPVOID parameter);

  const InstallPlan* m_plan = nullptr;
  HWND m_hPage = nullptr;
  UINT m_askMessage = 0;
  UINT m_doneMessage = 0;
  win::UniqueThread m_hThread;
  win::UniqueEvent m_hCancelRequested;
};
