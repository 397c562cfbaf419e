#include "wizard/CopyPage.h"

#include "res/resource.h"
#include "win/Dialog.h"

CCopyPage::CCopyPage(const SetupInfo& info, HBITMAP picture)
    : CPropertyPage(IDD_COPY_PAGE),
      m_info(info),
      m_hPicture(picture),
      m_hAbortEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hCancelEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CCopyPage::~CCopyPage() {
  if (m_hThread) ::WaitForSingleObject(m_hThread.get(), INFINITE);
}

BOOL CCopyPage::OnInitDialog() {
  ShowPicture(IDC_PICTURE, m_hPicture);
  return TRUE;
}

bool CCopyPage::WorkerRunning() const {
  return m_hThread && ::WaitForSingleObject(m_hThread.get(), 0) == WAIT_TIMEOUT;
}

namespace {
constexpr UINT kStartWorker = WM_APP + 1;
}  // namespace

BOOL CCopyPage::OnSetActive() {
  ::PostMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, 0);
  // The worker starts once the buttons are off: posted after them, so its
  // Next press (sent, so served before anything posted) cannot come first
  // and leave the finish page with its buttons switched off.
  ::PostMessageW(Hwnd(), kStartWorker, 0, 0);
  return TRUE;
}

INT_PTR CCopyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kStartWorker) {
    StartWorker();
    return TRUE;
  }
  return CPropertyPage::HandleMessage(message, wParam, lParam);
}

void CCopyPage::StartWorker() {
  if (WorkerRunning()) return;  // one worker per page at a time
  // Reset before the worker exists, so no request of its own is lost.
  ::ResetEvent(m_hAbortEvent.get());
  ::ResetEvent(m_hCancelEvent.get());
  m_hWorkerPage = Hwnd();
  m_hThread.reset(::CreateThread(nullptr, 0, &CCopyPage::CopyWorker, this, 0, nullptr));
}

BOOL CCopyPage::OnQueryCancel() {
  if (::WaitForSingleObject(m_hAbortEvent.get(), 0) == WAIT_OBJECT_0) {
    // The worker posted this press and is ending: let it finish first.
    ::WaitForSingleObject(m_hThread.get(), INFINITE);
    return TRUE;
  }
  // Without a worker (it could not start) nobody would ever answer.
  if (!WorkerRunning()) return TRUE;
  ::SetEvent(m_hCancelEvent.get());  // the worker asks within its next few chunks
  return FALSE;
}
