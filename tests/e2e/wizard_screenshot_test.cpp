// Pictures of the install wizard for docs/screenshots, taken by
// scripts/screenshots.sh. Suites named Screenshot* are not part of the
// ctest suite; elsewhere TakeScreenshot does nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

constexpr wchar_t kTitle[] = L"星の旅人";
constexpr int kNext = 0x3024, kFinish = 0x3025;

int PageIndex(const CWindow& sheet) {
  DWORD_PTR page = 0, index = static_cast<DWORD_PTR>(-1);
  ::SendMessageTimeoutW(sheet.Handle(), PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
  ::SendMessageTimeoutW(sheet.Handle(), PSM_HWNDTOINDEX, page, 0, SMTO_ABORTIFHUNG, 5000, &index);
  return static_cast<int>(index);
}

bool WaitPage(const CWindow& sheet, int index) {
  for (DWORD start = ::GetTickCount(); PageIndex(sheet) != index;) {
    if (::GetTickCount() - start >= kWaitMs) return false;
    ::Sleep(20);
  }
  ::Sleep(300);  // the posted button states, and a repaint
  return true;
}

// The sample product from its first disc: the three pages, and the copy
// page while it asks for the second disc.
TEST(ScreenshotWizard, DestinationCopyAndFinishPages) {
  const CDisc disc1 = PrepareDisc(L"sample", L"DISC1");
  const CDisc disc2 = PrepareDisc(L"sample", L"DISC2", false);
  ASSERT_TRUE(InsertDisc(disc1));
  const CLauncherRun run = StartLauncher(L"Q:\\setup.exe", kTitle);
  ASSERT_TRUE(run.window);
  ASSERT_TRUE(run.window.Click(kInstallId));
  const CWindow sheet = WaitWindow(L"インストール", run.window.ProcessId(), kNext);
  ASSERT_TRUE(sheet);
  ASSERT_TRUE(WaitPage(sheet, 0));
  EXPECT_TRUE(TakeScreenshot(L"wizard-destination", {sheet}));

  ASSERT_TRUE(sheet.Click(kNext));
  std::optional<CMessageBox> box = WaitMessageBox(run.window.ProcessId());
  ASSERT_TRUE(box);
  EXPECT_TRUE(TakeScreenshot(L"wizard-disc-prompt", {sheet, box->window}));
  // The page alone: the question moved out of its way for a moment.
  RECT rect{};
  ::GetWindowRect(box->window.Handle(), &rect);
  ::SetWindowPos(box->window.Handle(), nullptr, 0, 700, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::Sleep(300);
  EXPECT_TRUE(TakeScreenshot(L"wizard-copy", {sheet}));
  ::SetWindowPos(box->window.Handle(), nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(InsertDisc(disc2));
  ASSERT_TRUE(box->Answer(IDOK));

  ASSERT_TRUE(WaitPage(sheet, 2));
  EXPECT_TRUE(TakeScreenshot(L"wizard-finish", {sheet}));
  ASSERT_TRUE(sheet.Click(kFinish));
  ASSERT_TRUE(sheet.WaitGone());
  ASSERT_TRUE(CloseLauncher(run.window));
}

}  // namespace
}  // namespace e2e
