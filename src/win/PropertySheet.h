// A modal wizard: a property sheet in wizard mode over pages that the
// caller owns.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win {

class CPropertyPage;

class CPropertySheet {
 public:
  explicit CPropertySheet(std::wstring caption) : m_strCaption(std::move(caption)) {}
  CPropertySheet(const CPropertySheet&) = delete;
  CPropertySheet& operator=(const CPropertySheet&) = delete;

  // Pages appear in the order they are added; each must outlive DoModal.
  void AddPage(CPropertyPage& page) { m_pages.push_back(&page); }

  // Runs the wizard from its first page, owned by owner, which is disabled
  // meanwhile. Returns PropertySheetW's result: positive when finished, 0
  // when cancelled, -1 when the sheet could not be made.
  INT_PTR DoModal(HWND owner);

 private:
  std::wstring m_strCaption;
  std::vector<CPropertyPage*> m_pages;
};

}  // namespace win
