// Pictures of the launcher for docs/screenshots, taken by
// scripts/screenshots.sh. Suites named Screenshot* are not part of the
// ctest suite; elsewhere TakeScreenshot does nothing.
#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

// The sample product: two discs, so the launcher comes from the temporary
// copy, as a user sees it.
constexpr wchar_t kTitle[] = L"星の旅人";
constexpr wchar_t kMaker[] = L"サンプル工房";

TEST(ScreenshotLauncher, NotInstalledInstalledAndDiscPrompt) {
  const CDisc disc = PrepareDisc(L"sample", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));
  CLauncherRun run = StartLauncher(L"Q:\\setup.exe", kTitle);
  ASSERT_TRUE(run.window);
  EXPECT_TRUE(TakeScreenshot(L"launcher", {run.window}));
  ASSERT_TRUE(CloseLauncher(run.window));

  ASSERT_TRUE(WriteInstallRecord(kMaker, kTitle, L"C:\\Program Files\\サンプル工房\\星の旅人\\"));
  run = StartLauncher(L"Q:\\setup.exe", kTitle);
  ASSERT_TRUE(run.window);
  EXPECT_TRUE(TakeScreenshot(L"launcher-installed", {run.window}));

  // Without the DirectX set-up on the disc the launcher asks for a disc.
  ASSERT_TRUE(::DeleteFileW(L"Q:\\directx\\dxsetup.exe"));
  ASSERT_TRUE(run.window.Click(kDirectXId));
  const std::optional<CMessageBox> box = WaitMessageBox(run.window.ProcessId());
  ASSERT_TRUE(box);
  EXPECT_TRUE(TakeScreenshot(L"launcher-disc-prompt", {run.window, box->window}));
  ASSERT_TRUE(box->Answer(IDCANCEL));
  ASSERT_TRUE(CloseLauncher(run.window));
}

}  // namespace
}  // namespace e2e
