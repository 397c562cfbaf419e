#include "win/PropertyPage.h"

namespace win {

PROPSHEETPAGEW CPropertyPage::Describe() {
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_DEFAULT;  // no PSP_HASHELP: the wizard has no Help button
  page.hInstance = ::GetModuleHandleW(nullptr);
  page.pszTemplate = MAKEINTRESOURCEW(TemplateId());
  page.pfnDlgProc = &CDialog::PageDialogProc;
  page.lParam = reinterpret_cast<LPARAM>(static_cast<CDialog*>(this));
  return page;
}

INT_PTR CPropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
  return CDialog::HandleMessage(message, wParam, lParam);
}

INT_PTR CPropertyPage::OnNotify(const NMHDR& header) {
  // Only the sheet's notifications: a control of the page may send its own
  // with the same codes.
  if (header.hwndFrom != Sheet()) return FALSE;
  switch (header.code) {
    case PSN_SETACTIVE:
      return SetMsgResult(OnSetActive() ? 0 : -1);
    case PSN_WIZNEXT:
      // -1 keeps the page current.
      return SetMsgResult(OnWizardNext() ? 0 : -1);
    case PSN_WIZBACK:
      return SetMsgResult(OnWizardBack() ? 0 : -1);
    case PSN_WIZFINISH:
      return SetMsgResult(OnWizardFinish() ? FALSE : TRUE);
    case PSN_KILLACTIVE:
      // In a wizard this follows an accepted Next or Back: the page has
      // already agreed to be left and must not ask a second time.
      return SetMsgResult(FALSE);
    case PSN_QUERYCANCEL:
      return SetMsgResult(OnQueryCancel() ? FALSE : TRUE);
    default:
      return FALSE;
  }
}

}  // namespace win
