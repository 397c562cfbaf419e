#include "win/PropertySheet.h"

#include "win/CommonControls.h"
#include "win/PropertyPage.h"

namespace win {

INT_PTR CPropertySheet::DoModal(HWND owner) {
  std::vector<PROPSHEETPAGEW> pages;
  pages.reserve(m_pages.size());
  for (CPropertyPage* page : m_pages) pages.push_back(page->Describe());

  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE;  // no PSH_HASHELP
  header.hwndParent = owner;
  header.hInstance = ::GetModuleHandleW(nullptr);
  header.pszCaption = m_strCaption.c_str();
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = 0;
  header.ppsp = pages.data();
  return RunPropertySheet(header);
}

}  // namespace win
