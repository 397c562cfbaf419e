// Uninstall worked from the launcher: what goes, what stays, the question
// and the final message, and a second installation afterwards.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "Driver.h"
#include "Wizard.h"

namespace e2e {
namespace {

constexpr wchar_t kTitle[] = L"星の旅人";  // the sample product and fixture "single"
constexpr wchar_t kMenuFolder[] = L"サンプル工房\\星の旅人";
constexpr wchar_t kQuestion[] = L"このアプリケーションを削除しますか？";
constexpr wchar_t kDone[] = L"アプリケーションを削除しました。";
constexpr wchar_t kCaption[] = L"アンインストール";

// Installs the two-disc sample product with the default folder through the
// launcher's wizard; the launcher stays open.
void InstallSample(const CInstallRun& run, const CDisc& disc2) {
  CWizard wizard(run.processId);
  ASSERT_TRUE(wizard) << DescribeWindows();
  ASSERT_TRUE(wizard.WaitPage(0));
  ASSERT_TRUE(wizard.Click(kNext));
  std::optional<CMessageBox> box = WaitMessageBox(run.processId);
  ASSERT_TRUE(box) << DescribeWindows();
  ASSERT_EQ(box->text, L"DISC2を挿入してください。");
  ASSERT_TRUE(InsertDisc(disc2));
  ASSERT_TRUE(box->Answer(IDOK));
  ASSERT_TRUE(wizard.WaitPage(2)) << DescribeWindows();
  ASSERT_TRUE(wizard.Click(kFinish));
  ASSERT_TRUE(wizard.Sheet().WaitGone());
  ASSERT_TRUE(WaitButtonsShowInstalled(run.launcher.window, true));
}

// Presses Uninstall and returns the question box.
std::optional<CMessageBox> AskToUninstall(const CWindow& launcher) {
  if (!launcher.Click(kUninstallId)) return std::nullopt;
  std::optional<CMessageBox> box = WaitMessageBox(launcher.ProcessId());
  if (box) {
    EXPECT_EQ(box->text, kQuestion);
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box->defaultButton, IDNO);
  }
  return box;
}

TEST(Uninstall, RemovesTheInstallationKeepsForeignFilesAndAllowsASecondOne) {
  CInstallRun run = OpenWizard(L"sample", kTitle);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  const CDisc disc2 = PrepareDisc(L"sample", L"DISC2");
  ASSERT_TRUE(disc2);
  InstallSample(run, disc2);
  if (HasFatalFailure()) return;
  const CWindow& launcher = run.launcher.window;

  const std::wstring folder = DefaultFolder(kTitle) + L"\\";
  const std::vector<std::wstring> listed = ListFiles(folder);
  ASSERT_EQ(listed.size(), 7u) << "the sample product's files";
  ASSERT_TRUE(WriteFileBytes(folder + L"save\\slot1.sav", "made by the game"));
  const std::wstring foreignLink = MenuLink(kMenuFolder, L"別の製品");
  ASSERT_TRUE(WriteFileBytes(foreignLink, "not ours"));

  // No, and Enter at once (No is the default), change nothing.
  for (const bool enter : {false, true}) {
    SCOPED_TRACE(enter ? "Enter" : "No");
    std::optional<CMessageBox> box = AskToUninstall(launcher);
    ASSERT_TRUE(box) << DescribeWindows();
    if (enter) {
      ASSERT_TRUE(box->window.PressKey(VK_RETURN));
      ASSERT_TRUE(box->window.WaitGone());
    } else {
      ASSERT_TRUE(box->Answer(IDNO));
    }
    EXPECT_TRUE(launcher.StaysOpen());
    EXPECT_TRUE(MessageBoxes(run.processId).empty()) << "no final message after No";
    EXPECT_EQ(ReadInstallRecord(kMaker, kTitle), folder);
    for (const std::wstring& file : listed) EXPECT_TRUE(FileExists(folder + file));
    EXPECT_TRUE(FileExists(DesktopLink(kTitle)));
  }

  std::optional<CMessageBox> box = AskToUninstall(launcher);
  ASSERT_TRUE(box);
  ASSERT_TRUE(box->Answer(IDYES));
  std::optional<CMessageBox> done = WaitMessageBox(run.processId);
  ASSERT_TRUE(done) << DescribeWindows();
  EXPECT_EQ(done->text, kDone);
  EXPECT_EQ(done->caption, kCaption);
  EXPECT_EQ(done->buttons, std::vector<int>{IDOK});

  // The listed files and the folders they left empty are gone; the install
  // folder stays with what the game made.
  EXPECT_EQ(ListFiles(folder), std::vector<std::wstring>{L"save\\slot1.sav"});
  for (const wchar_t* emptied : {L"data", L"bgm", L"manual"}) {
    EXPECT_FALSE(FolderExists(folder + emptied)) << testing::PrintToString(std::wstring(emptied));
  }
  EXPECT_TRUE(FolderExists(folder));
  EXPECT_FALSE(FileExists(DesktopLink(kTitle)));
  for (const wchar_t* link : {kTitle, L"はじめにお読みください", L"マニュアル"}) {
    EXPECT_FALSE(FileExists(MenuLink(kMenuFolder, link))) << testing::PrintToString(std::wstring(link));
  }
  EXPECT_TRUE(FileExists(foreignLink)) << "a foreign file keeps the menu folder";
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, InstallRecordKey(kMaker, kTitle)));
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\") + kMaker));
  ASSERT_TRUE(done->Answer(IDOK));
  EXPECT_TRUE(WaitButtonsShowInstalled(launcher, false));

  // A second installation from the same launcher works.
  ASSERT_TRUE(InsertDisc(run.disc1));
  ASSERT_TRUE(launcher.Click(kInstallId));
  InstallSample(run, disc2);
  if (HasFatalFailure()) return;
  EXPECT_EQ(ReadInstallRecord(kMaker, kTitle), folder);
  EXPECT_EQ(ListFiles(folder).size(), listed.size() + 1);
  EXPECT_TRUE(FileExists(DesktopLink(kTitle)));
  EXPECT_TRUE(CloseLauncher(launcher));
}

TEST(Uninstall, FinalMessageComesEvenWhenNothingCouldBeDeleted) {
  // A record whose folder holds none of the files, and no links at all.
  const CDisc disc = PrepareDisc(L"single", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));
  const std::wstring folder = WorkDir() + L"\\empty-install\\";
  ASSERT_TRUE(CreateFolders(folder));
  ASSERT_TRUE(WriteInstallRecord(kMaker, kTitle, folder));
  const CLauncherRun run = StartLauncher(disc.Path(L"setup.exe"), kTitle);
  ASSERT_TRUE(run.window) << DescribeWindows();
  ASSERT_TRUE(WaitButtonsShowInstalled(run.window, true));

  std::optional<CMessageBox> box = AskToUninstall(run.window);
  ASSERT_TRUE(box);
  ASSERT_TRUE(box->Answer(IDYES));
  std::optional<CMessageBox> done = WaitMessageBox(run.window.ProcessId());
  ASSERT_TRUE(done) << DescribeWindows();
  EXPECT_EQ(done->text, kDone);
  ASSERT_TRUE(done->Answer(IDOK));
  EXPECT_TRUE(WaitButtonsShowInstalled(run.window, false));
  EXPECT_TRUE(FolderExists(folder));
  // The disc is untouched: nothing is deleted relative to the source folder.
  EXPECT_TRUE(FileExists(disc.Path(L"game.exe")));
  EXPECT_TRUE(CloseLauncher(run.window));
}

TEST(Uninstall, AFileInUseStaysWithTheRecordAndCanBeRemovedLater) {
  // The single-disc product laid out as installed: its three listed files.
  const std::wstring folder = WorkDir() + L"\\installed\\";
  ASSERT_TRUE(CopyFixtureDisc(L"single", L"DISC1", folder, false));
  ASSERT_TRUE(WriteInstallRecord(kMaker, kTitle, folder));
  const CDisc disc = PrepareDisc(L"single", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));
  const CLauncherRun run = StartLauncher(disc.Path(L"setup.exe"), kTitle);
  ASSERT_TRUE(run.window) << DescribeWindows();

  // The game is running: its readme is open and cannot be deleted.
  {
    const win::UniqueFile held(::CreateFileW((folder + L"readme.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    std::optional<CMessageBox> box = AskToUninstall(run.window);
    ASSERT_TRUE(box);
    ASSERT_TRUE(box->Answer(IDYES));
    std::optional<CMessageBox> left = WaitMessageBox(run.window.ProcessId());
    ASSERT_TRUE(left) << DescribeWindows();
    EXPECT_EQ(left->text, L"削除できなかったファイルが1個あります。\n" + folder +
                              L"readme.txt\nゲームを終了してから、もう一度アンインストールしてください。");
    EXPECT_EQ(left->caption, kCaption);
    ASSERT_TRUE(left->Answer(IDOK));
    EXPECT_TRUE(FileExists(folder + L"readme.txt"));
    EXPECT_FALSE(FileExists(folder + L"game.exe"));
    EXPECT_FALSE(FolderExists(folder + L"data"));
    EXPECT_EQ(ReadInstallRecord(kMaker, kTitle), folder);
    EXPECT_TRUE(WaitButtonsShowInstalled(run.window, true));
  }

  // The game has ended: the removal is tried again and completes.
  std::optional<CMessageBox> box = AskToUninstall(run.window);
  ASSERT_TRUE(box);
  ASSERT_TRUE(box->Answer(IDYES));
  std::optional<CMessageBox> done = WaitMessageBox(run.window.ProcessId());
  ASSERT_TRUE(done) << DescribeWindows();
  EXPECT_EQ(done->text, kDone);
  ASSERT_TRUE(done->Answer(IDOK));
  EXPECT_FALSE(FileExists(folder + L"readme.txt"));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, InstallRecordKey(kMaker, kTitle)));
  EXPECT_TRUE(WaitButtonsShowInstalled(run.window, false));
  EXPECT_TRUE(CloseLauncher(run.window));
}

}  // namespace
}  // namespace e2e
