// The copy worker: the one thread besides the user interface. It runs the
// installation (InstallRun) and talks to the wizard only through window
// messages and the page's two events.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdint>
#include <string>

#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Handles.h"
#include "wizard/CopyPage.h"
#include "wizard/InstallRun.h"
#include "wizard/Progress.h"

namespace {

// Twenty positions a second are smooth.
constexpr ULONGLONG kShowMs = 50;

// The wizard's side of an installation: progress on the page's bar,
// questions in message boxes owned by the page, Cancel through the events.
class CWizardHost : public CInstallHost {
 public:
  CWizardHost(HWND page, HANDLE cancelEvent)
      : m_hPage(page), m_hProgress(::GetDlgItem(page, IDC_PROGRESS)), m_hCancelEvent(cancelEvent) {
    ::SendMessageW(m_hProgress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageW(m_hProgress, PBM_SETPOS, 0, 0);
  }

  Choice SourceMissing(const FileEntry& file) override {
    if (Ask(file.disc + ui::kInsertDiscSuffix, MB_OKCANCEL) == IDOK) return Choice::kRetry;
    return ConfirmAbort() ? Choice::kAbort : Choice::kRetry;
  }
  Choice CopyFailed(const FileEntry& file) override {
    return RetryOrAbort(file.name + ui::kCopyFailedSuffix);
  }
  Choice ContentDiffers(const FileEntry& file) override {
    return RetryOrAbort(file.name + L"（" + file.disc + ui::kContentDiffersSuffix);
  }
  void RecordFailed() override { (void)Ask(ui::kRecordFailed, MB_OK | MB_ICONERROR); }
  bool AbortRequested() override {
    if (::WaitForSingleObject(m_hCancelEvent, 0) != WAIT_OBJECT_0) return false;
    if (ConfirmAbort()) return true;
    ::ResetEvent(m_hCancelEvent);  // carry on: nothing read so far is lost
    return false;
  }
  void Progress(std::uint64_t copied, std::uint64_t total, bool now) override {
    m_copied = copied;
    m_total = total;
    const int position = ProgressPosition(copied, total);
    if (position == m_lastPosition) return;
    const ULONGLONG tick = ::GetTickCount64();
    if (!now && tick - m_lastShown < kShowMs) return;
    m_lastShown = tick;
    m_lastPosition = position;
    // Not waited for: a sent position waited for the wizard's thread and a
    // repaint, a tenth of a fast copy's time. Still handled before the
    // worker's later sent messages, as a sent message is.
    ::SendNotifyMessageW(m_hProgress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }

 private:
  int Ask(const std::wstring& text, UINT buttons) {
    Progress(m_copied, m_total, true);  // the bar is up to date while the user reads
    return win::ShowMessage(m_hPage, text, ui::kInstallCaption, buttons);
  }
  bool ConfirmAbort() { return Ask(ui::kAskAbort, MB_YESNO | MB_DEFBUTTON2) == IDYES; }
  Choice RetryOrAbort(const std::wstring& text) {
    if (Ask(text, MB_RETRYCANCEL) == IDRETRY) return Choice::kRetry;
    return ConfirmAbort() ? Choice::kAbort : Choice::kRetry;
  }

  HWND m_hPage;
  HWND m_hProgress;
  HANDLE m_hCancelEvent;
  std::uint64_t m_copied = 0;
  std::uint64_t m_total = 0;
  int m_lastPosition = 0;
  ULONGLONG m_lastShown = 0;
};

}  // namespace

DWORD WINAPI CCopyPage::CopyWorker(LPVOID parameter) {
  auto* page = static_cast<CCopyPage*>(parameter);
  // The shortcuts need COM on this thread.
  const win::CComInit com(COINIT_APARTMENTTHREADED);
  const HWND sheet = ::GetParent(page->m_hWorkerPage);
  // Nothing thrown may leave a thread procedure.
  try {
    CWizardHost host(page->m_hWorkerPage, page->m_hCancelEvent.get());
    if (RunInstall(page->m_info, host)) {
      // Sent: the wizard has moved on when this returns.
      ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    } else {
      ::SetEvent(page->m_hAbortEvent.get());
      // Posted, never sent: the press waits for this thread to end.
      ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
  } catch (...) {
    // Without its press the wizard stays on this page; Cancel then closes it,
    // since no worker runs any more.
  }
  return 0;
}
