// The wizard's second page: one worker thread copies the product's files,
// then makes the shortcuts and the install record and moves the wizard on.
#pragma once

#include <windows.h>

#include "win/Handles.h"
#include "win/PropertyPage.h"
#include "wizard/Progress.h"

struct SetupInfo;

class CCopyPage : public win::CPropertyPage {
 public:
  // info is read by the worker and must outlive the page; the picture is
  // borrowed.
  CCopyPage(const SetupInfo& info, HBITMAP picture);
  // Waits for a worker that still runs: it reads this object.
  ~CCopyPage() override;

  // The worker's thread procedure; parameter is the page.
  static DWORD WINAPI CopyWorker(LPVOID parameter);

 protected:
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  BOOL OnQueryCancel() override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void StartWorker();
  bool WorkerRunning() const;

  const SetupInfo& m_info;
  HBITMAP m_hPicture;
  // The page window as the worker sees it, fixed before the worker starts.
  HWND m_hWorkerPage = nullptr;
  win::UniqueThread m_hThread;
  // Set by the worker when the user confirmed the abort and it is ending.
  win::UniqueEvent m_hAbortEvent;
  // The cancel request: set by Cancel, polled by the worker between chunks.
  win::UniqueEvent m_hCancelEvent;
};
