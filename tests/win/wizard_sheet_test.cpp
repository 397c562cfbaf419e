// The wizard sheet and page classes under the system's property sheet: which
// notification reaches which virtual, and what the answers do.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "win/PropertyPage.h"
#include "win/PropertySheet.h"
#include "wizard_driver.h"

using namespace wizard_test;

namespace {

class CRecordingPage : public win::CPropertyPage {
 public:
  explicit CRecordingPage(UINT id) : CPropertyPage(id) {}
  int setActive = 0, killActive = 0, queryCancel = 0;
  BOOL allowLeave = TRUE, allowCancel = TRUE;

 protected:
  BOOL OnSetActive() override {
    ++setActive;
    ::PostMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
    return TRUE;
  }
  BOOL OnWizardNext() override {
    ++killActive;
    return allowLeave;
  }
  BOOL OnQueryCancel() override {
    ++queryCancel;
    return allowCancel;
  }
};

struct Pages {
  CRecordingPage first{IDD_DIR_PAGE}, second{IDD_COPY_PAGE}, last{IDD_END_PAGE};
};

DWORD WINAPI Script(LPVOID parameter) {
  auto* pages = static_cast<Pages*>(parameter);
  const HWND sheet = WaitForSheet();
  WaitForPage(sheet, 0);
  // Next asks the page once per press; FALSE keeps it.
  pages->first.allowLeave = FALSE;
  Click(sheet, kNext);
  WaitFor([&] { return pages->first.killActive == 1; });
  ::Sleep(100);
  EXPECT_EQ(PageIndex(sheet), 0);
  pages->first.allowLeave = TRUE;
  Click(sheet, kNext);
  WaitForPage(sheet, 1);
  EXPECT_EQ(pages->first.killActive, 2);
  // Cancel asks; FALSE keeps the sheet open.
  pages->second.allowCancel = FALSE;
  Click(sheet, IDCANCEL);
  WaitFor([&] { return pages->second.queryCancel == 1; });
  ::Sleep(100);
  EXPECT_TRUE(::IsWindow(sheet));
  // A Next press also moves on while Next is disabled.
  ::PostMessageW(sheet, PSM_SETWIZBUTTONS, 0, 0);
  ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
  WaitForPage(sheet, 2);
  pages->second.allowCancel = TRUE;
  Click(sheet, IDCANCEL);
  WaitForClose(sheet);
  return 0;
}

}  // namespace

TEST(WizardSheet, NotificationsReachTheirVirtualsOnce) {
  Pages pages;
  win::CPropertySheet sheet(L"インストール");
  sheet.AddPage(pages.first);
  sheet.AddPage(pages.second);
  sheet.AddPage(pages.last);
  win::UniqueHandle driver(::CreateThread(nullptr, 0, &Script, &pages, 0, nullptr));
  ASSERT_TRUE(driver);
  EXPECT_EQ(sheet.DoModal(nullptr), 0);  // cancelled
  ASSERT_EQ(::WaitForSingleObject(driver.get(), kTimeoutMs), WAIT_OBJECT_0);

  EXPECT_EQ(pages.first.setActive, 1);
  EXPECT_EQ(pages.first.killActive, 2);
  EXPECT_EQ(pages.second.setActive, 1);
  EXPECT_EQ(pages.second.killActive, 1);
  EXPECT_EQ(pages.second.queryCancel, 1);
  EXPECT_EQ(pages.last.setActive, 1);
  EXPECT_EQ(pages.last.queryCancel, 1);
  EXPECT_EQ(pages.last.killActive, 0);
}
