#include "wizard/EndPage.h"

#include "res/Texts.h"
#include "res/resource.h"

CEndPage::CEndPage(HBITMAP picture) : CPropertyPage(IDD_END_PAGE), m_hPicture(picture) {}

BOOL CEndPage::OnInitDialog() {
  ShowPicture(IDC_PICTURE, m_hPicture);
  return TRUE;
}

BOOL CEndPage::OnSetActive() {
  SetFinishText(ui::kFinishText);
  return TRUE;
}
