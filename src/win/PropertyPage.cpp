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
  switch (header.code) {
    case PSN_SETACTIVE:
      return SetMsgResult(OnSetActive() ? 0 : -1);
    case PSN_WIZNEXT:
      // A wizard's Next asks the page here; -1 keeps it current.
      return SetMsgResult(OnKillActive() ? 0 : -1);
    case PSN_KILLACTIVE:
      // In a wizard this follows an accepted PSN_WIZNEXT: the page has
      // already agreed to be left and must not ask a second time.
      return SetMsgResult(FALSE);
    case PSN_QUERYCANCEL:
      return SetMsgResult(OnQueryCancel() ? FALSE : TRUE);
    default:
      return FALSE;
  }
}

}  // namespace win
