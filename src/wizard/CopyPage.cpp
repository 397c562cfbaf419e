#include "wizard/CopyPage.h"

#include "res/resource.h"

namespace {
constexpr UINT kStartWorker = WM_APP + 1;
constexpr UINT kWorkerDone = WM_APP + 2;  // wParam: TRUE when installed
}  // namespace

CCopyPage::CCopyPage(std::function<InstallPlan()> makePlan, HBITMAP picture)
    : CPropertyPage(IDD_COPY_PAGE), m_makePlan(std::move(makePlan)), m_hPicture(picture) {}

BOOL CCopyPage::OnInitDialog() {
  ShowPicture(IDC_PICTURE, m_hPicture);
  return TRUE;
}

BOOL CCopyPage::OnSetActive() {
  ::PostMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, 0);
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
      if (m_worker.Start(*m_plan, Hwnd(), kWorkerDone)) m_state = State::kRunning;
      return TRUE;
    case kWorkerDone:
      OnWorkerDone(wParam != FALSE);
      return TRUE;
    default:
      return CPropertyPage::HandleMessage(message, wParam, lParam);
  }
}

void CCopyPage::OnWorkerDone(bool installed) {
  m_worker.Wait();
  m_state = installed ? State::kInstalled : State::kAbandoned;
  // The one way the page ends the sheet: the press, posted like the user's.
  ::PostMessageW(Sheet(), PSM_PRESSBUTTON, installed ? PSBTN_NEXT : PSBTN_CANCEL, 0);
}

BOOL CCopyPage::OnQueryCancel() {
  switch (m_state) {
    case State::kRunning:
      m_worker.RequestCancel();
      return FALSE;
    case State::kInstalled:
      return FALSE;
    default:
      return TRUE;
  }
}
