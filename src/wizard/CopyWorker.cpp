#include "wizard/CopyWorker.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdint>
#include <string>

#include "install/InstallRun.h"
#include "install/InstallPlan.h"
#include "install/UpdateInterval.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "wizard/Progress.h"

namespace {

// The wizard's side of an installation: progress on the page's bar,
// questions sent to the page, Cancel through the event.
class CWizardHost : public CInstallHost {
 public:
  CWizardHost(HWND page, UINT askMessage, HANDLE cancelRequested)
      : m_hPage(page),
        m_askMessage(askMessage),
        m_hProgress(::GetDlgItem(page, IDC_PROGRESS)),
        m_hCancelRequested(cancelRequested) {
    ::SendMessageW(m_hProgress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageW(m_hProgress, PBM_SETPOS, 0, 0);
  }

  Choice SourceMissing(const FileEntry& file,
                       const std::vector<std::wstring>& /*searched*/) override {
    if (Ask(ui::InsertDiscText(file.disc), MB_OKCANCEL) == IDOK) return Choice::kRetry;
    return ConfirmAbort() ? Choice::kAbort : Choice::kRetry;
  }
  Choice CopyFailed(const FileEntry& file) override {
    return RetryOrAbort(ui::CopyFailedText(file.name));
  }
  Choice ContentDiffers(const FileEntry& file) override {
    return RetryOrAbort(ui::ContentDiffersText(file.name, file.disc));
  }
  void RecordFailed() override { (void)Ask(ui::kRecordFailed, MB_OK | MB_ICONERROR); }
  bool AbortRequested() override {
    if (::WaitForSingleObject(m_hCancelRequested, 0) != WAIT_OBJECT_0) return false;
    if (ConfirmAbort()) return true;
    ::ResetEvent(m_hCancelRequested);  // carry on: nothing read so far is lost
    return false;
  }
  void Progress(std::uint64_t copied, std::uint64_t total, bool now) override {
    m_copied = copied;
    m_total = total;
    const int position = ProgressPosition(copied, total);
    if (position == m_lastPosition) return;
    const ULONGLONG tick = ::GetTickCount64();
    if (!now && tick - m_lastShown < kUpdateIntervalMs) return;
    m_lastShown = tick;
    m_lastPosition = position;
    // Not waited for: a sent position waited for the wizard's thread and a
    // repaint, a tenth of a fast copy's time. Still handled before the
    // worker's later sent messages, as a sent message is.
    ::SendNotifyMessageW(m_hProgress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }

 private:
  // The page shows the question on the user-interface thread; this thread
  // waits for the answer, which the page never waits for in turn.
  int Ask(const std::wstring& text, UINT buttons) {
    Progress(m_copied, m_total, true);  // the bar is up to date while the user reads
    const CopyQuestion question{text, buttons};
    return static_cast<int>(
        ::SendMessageW(m_hPage, m_askMessage, 0, reinterpret_cast<LPARAM>(&question)));
  }
  // A question nobody answers (0: the page is gone) ends the run instead of
  // being asked again for ever.
  bool ConfirmAbort() {
    const int answer = Ask(ui::kAskAbort, MB_YESNO | MB_DEFBUTTON2);
    return answer == IDYES || answer == 0;
  }
  Choice RetryOrAbort(const std::wstring& text) {
    if (Ask(text, MB_RETRYCANCEL) == IDRETRY) return Choice::kRetry;
    return ConfirmAbort() ? Choice::kAbort : Choice::kRetry;
  }

  HWND m_hPage;
  UINT m_askMessage;
  HWND m_hProgress;
  HANDLE m_hCancelRequested;  // set by the page's Cancel, reset after a No
  std::uint64_t m_copied = 0;
  std::uint64_t m_total = 0;
  int m_lastPosition = 0;
  ULONGLONG m_lastShown = 0;
};

}  // namespace

CCopyWorker::CCopyWorker() : m_hCancelRequested(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CCopyWorker::~CCopyWorker() { Wait(); }

bool CCopyWorker::Running() const {
  return m_hThread && ::WaitForSingleObject(m_hThread.get(), 0) == WAIT_TIMEOUT;
}

void CCopyWorker::Wait() {
  if (!m_hThread) return;
  const HANDLE thread = m_hThread.get();
  // A question sent before the page went would otherwise wait for this
  // thread, and this thread for the worker. Looking at the queue answers it
  // (a page that is gone answers 0).
  while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
         WAIT_OBJECT_0 + 1) {
    MSG message;
    (void)::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

bool CCopyWorker::Start(const InstallPlan& plan, HWND page, UINT askMessage, UINT doneMessage) {
  if (Running() || !m_hCancelRequested) return false;
  // Reset before the thread exists, so that no request of this run is lost.
  ::ResetEvent(m_hCancelRequested.get());
  m_plan = &plan;
  m_hPage = page;
  m_askMessage = askMessage;
  m_doneMessage = doneMessage;
  m_hThread.reset(::CreateThread(nullptr, 0, &CCopyWorker::ThreadProc, this, 0, nullptr));
  return static_cast<bool>(m_hThread);
}

DWORD WINAPI CCopyWorker::ThreadProc(LPVOID parameter) {
  auto* self = static_cast<CCopyWorker*>(parameter);
  bool installed = false;
  // Nothing thrown may leave a thread procedure; what would be thrown ends
  // the run as abandoned.
  try {
    // The shortcuts need COM on this thread.
    const win::CComInit com(COINIT_APARTMENTTHREADED);
    CWizardHost host(self->m_hPage, self->m_askMessage, self->m_hCancelRequested.get());
    installed = RunInstall(*self->m_plan, host);
  } catch (...) {
  }
  // The last thing the thread does: the page may wait for its end at once.
  ::PostMessageW(self->m_hPage, self->m_doneMessage, installed ? TRUE : FALSE, 0);
  return 0;
}
