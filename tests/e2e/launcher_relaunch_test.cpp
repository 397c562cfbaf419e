// A product on several discs, started without a folder: the program copies
// itself to the temporary folder and the copy shows the launcher, working
// from the source folder.
#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

constexpr wchar_t kMultiTitle[] = L"星の旅人 完全版";  // fixture multi
constexpr wchar_t kStarTitle[] = L"星の旅人";          // fixture single

std::wstring TempCopy() { return TempFolder() + L"setup_" + kMultiTitle + L".exe"; }

TEST(LauncherRelaunch, MultiDiscStartRestartsFromATempCopy) {
  ASSERT_TRUE(RegisterDocumentOpener(L".txt"));
  const CDisc disc = PrepareDisc(L"multi", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));
  ASSERT_FALSE(FileExists(TempCopy()));

  // The started process itself shows nothing and ends.
  const CWatchResult first = RunWatchingWindows(L"Q:\\setup.exe");
  EXPECT_TRUE(first.exited);
  EXPECT_FALSE(first.windowShown) << first.windows;

  const CWindow launcher = WaitWindow(LauncherCaption(kMultiTitle), 0, kReadmeId);
  ASSERT_TRUE(launcher);
  const CProcess copy = CProcess::Attach(launcher.ProcessId());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(SamePath(copy.ImagePath(), TempCopy())) << copy.ImagePath();
  EXPECT_EQ(ReadFileBytes(TempCopy()), ReadFileBytes(SetupProgram()));
  // A drive root reaches the copy whole, as Q:\.
  EXPECT_EQ(copy.CurrentDirectory(), L"Q:\\");

  // Its commands work relative to the disc, not to the temporary folder.
  ASSERT_TRUE(launcher.Click(kReadmeId));
  const std::optional<COpenedDocument> opened = WaitDocumentOpened();
  ASSERT_TRUE(opened);
  EXPECT_TRUE(SamePath(opened->FullPath(), L"Q:\\readme.txt")) << opened->file;
  ASSERT_TRUE(launcher.Click(kDirectXId));
  const auto marker = WaitForMarker(L"Q:\\dxsetup_ran.txt");
  ASSERT_FALSE(marker.empty());
  EXPECT_TRUE(SamePath(marker.at(L"cwd"), L"Q:\\")) << marker.at(L"cwd");

  // Starting from the disc again only brings the copy's launcher forward.
  const CWatchResult again = RunWatchingWindows(L"Q:\\setup.exe");
  EXPECT_TRUE(again.exited);
  EXPECT_FALSE(again.windowShown) << again.windows;
  EXPECT_EQ(FindWindows(LauncherCaption(kMultiTitle)).size(), 1u);
  EXPECT_EQ(FindProcesses(L"setup_" + std::wstring(kMultiTitle) + L".exe").size(), 1u);
  ASSERT_TRUE(CloseLauncher(launcher));
}

TEST(LauncherRelaunch, ReplacesAReadOnlyOlderCopy) {
  ASSERT_TRUE(WriteFileBytes(TempCopy(), "an older launcher"));
  ASSERT_TRUE(::SetFileAttributesW(TempCopy().c_str(), FILE_ATTRIBUTE_READONLY));
  const CDisc disc = PrepareDisc(L"multi", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));

  const CLauncherRun run = StartLauncher(L"Q:\\setup.exe", kMultiTitle);
  ASSERT_TRUE(run.window);
  EXPECT_NE(run.window.ProcessId(), run.process.Id());
  EXPECT_EQ(ReadFileBytes(TempCopy()), ReadFileBytes(SetupProgram()));
  const std::optional<DWORD> attributes = FileAttributes(TempCopy());
  ASSERT_TRUE(attributes);
  EXPECT_FALSE(*attributes & FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CloseLauncher(run.window));
}

TEST(LauncherRelaunch, SourceFolderWithABlankIsKeptWhole) {
  ASSERT_TRUE(RegisterDocumentOpener(L".txt"));
  struct Row {
    const wchar_t* fixture;
    const wchar_t* title;
    const wchar_t* folder;
    bool relaunched;
  };
  const Row rows[] = {
      {L"multi", kMultiTitle, L"C:\\セットアップ ディスク\\DISC 1\\", true},
      {L"single", kStarTitle, L"C:\\my setup disc\\", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture);
    const std::wstring folder = row.folder;
    ASSERT_TRUE(CopyFixtureDisc(row.fixture, L"DISC1", folder));
    const CLauncherRun run = StartLauncher(folder + L"setup.exe", row.title);
    ASSERT_TRUE(run.window);
    const CProcess shown = CProcess::Attach(run.window.ProcessId());
    EXPECT_EQ(shown.Id() != run.process.Id(), row.relaunched);
    EXPECT_TRUE(SamePath(shown.ImagePath(), row.relaunched ? TempCopy() : folder + L"setup.exe"))
        << shown.ImagePath();
    EXPECT_TRUE(SamePath(shown.CurrentDirectory(), folder)) << shown.CurrentDirectory();

    ASSERT_TRUE(run.window.Click(kReadmeId));
    const std::optional<COpenedDocument> opened = WaitDocumentOpened();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(SamePath(opened->FullPath(), folder + L"readme.txt")) << opened->file;
    ASSERT_TRUE(CloseLauncher(run.window));
  }
}

}  // namespace
}  // namespace e2e
