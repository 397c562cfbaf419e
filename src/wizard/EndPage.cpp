#include "wizard/EndPage.h"

#include "res/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"

CEndPage::CEndPage(HBITMAP picture) : CPropertyPage(IDD_END_PAGE), m_hPicture(picture) {}

BOOL CEndPage::OnInitDialog() {
  ShowPicture(IDC_PICTURE, m_hPicture);
  return TRUE;
}

BOOL CEndPage::OnSetActive() {
  // Sent: Finish shows at once, with Back and Next hidden.
  ::SendMessageW(Sheet(), PSM_SETFINISHTEXT, 0, reinterpret_cast<LPARAM>(ui::kFinishText));
  return TRUE;
}
