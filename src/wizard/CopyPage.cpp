#include "wizard/CopyPage.h"

#include "res/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"

namespace {
constexpr UINT kStartWorker = WM_APP + 1;
constexpr UINT kWorkerDone = WM_APP + 2;  // wParam: TRUE when installed
constexpr UINT kWorkerAsks = WM_APP + 3;  // lParam: the CopyQuestion
}  // namespace

CCopyPage::CCopyPage(std::function<InstallPlan()> makePlan, HBITMAP picture)
    : CPropertyPage(IDD_COPY_PAGE), m_makePlan(std::move(makePlan)), m_hPicture(picture) {}

BOOL CCopyPage::OnInitDialog() {
  ShowPicture(IDC_PICTURE, m_hPicture);
  return TRUE;
}

BOOL CCopyPage::OnSetActive() {
  SetWizardButtons(0);
  // The worker starts once the buttons are off: posted after them, so that
  // the finish page can never come first and find its buttons switched off.
  ::PostMessageW(Hwnd(), kStartWorker, 0, 0);
  return TRUE;
}

INT_PTR CCopyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kStartWorker:
      // Without a worker Cancel closes the sheet: nobody else would answer.
      if (m_worker.Running()) return TRUE;
      m_plan.emplace(m_makePlan());
      if (m_worker.Start(*m_plan, Hwnd(), kWorkerAsks, kWorkerDone)) m_state = State::kRunning;
      return TRUE;
    case kWorkerAsks: {
      // The worker waits for the answer. The box is this thread's, as every
      // window is; through the page the sheet owns it, as it owns the others.
      const auto& question = *reinterpret_cast<const CopyQuestion*>(lParam);
      return SetMsgResult(
          win::ShowMessage(Hwnd(), question.text, ui::kInstallCaption, question.buttons));
    }
    case kWorkerDone:
      OnWorkerDone(wParam != FALSE);
      return TRUE;
    default:
      return CPropertyPage::HandleMessage(message, wParam, lParam);
  }
}

void CCopyPage::OnWorkerDone(bool installed) {
  m_worker.Wait();
  m_state = installed ? State::kInstalled : State::kIdle;
  // The one way the page ends the sheet: the press, like the user's.
  PressButton(installed ? PSBTN_NEXT : PSBTN_CANCEL);
}

BOOL CCopyPage::OnQueryCancel() {
  if (m_state == State::kRunning) m_worker.RequestCancel();
  return m_state == State::kIdle ? TRUE : FALSE;
}
