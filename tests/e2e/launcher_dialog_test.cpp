// The launcher window itself: caption, button texts and states from the
// install record and the readme setting, the picture, and how it closes.
#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

constexpr wchar_t kMaker[] = L"サンプル工房";
constexpr wchar_t kStarTitle[] = L"星の旅人";  // fixtures single, nopicture, notbmp

TEST(LauncherDialog, ButtonsFollowInstallRecordAndReadme) {
  struct Row {
    const wchar_t* fixture;
    const wchar_t* maker;
    const wchar_t* title;
    bool installed;
    const wchar_t* readmeText;
    bool readmeEnabled;
  };
  const Row rows[] = {
      {L"single", kMaker, kStarTitle, false, L"readme.txtを開く", true},
      {L"single", kMaker, kStarTitle, true, L"readme.txtを開く", true},
      {L"noreadme", L"Maker", L"Sample", false, L"readmeを開く", false},
      {L"noreadme", L"Maker", L"Sample", true, L"readmeを開く", false},
      {L"subfolders", kMaker, L"夜明けの街", false, L"manual\\readme.txtを開く", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture << (row.installed ? ", installed" : ""));
    ASSERT_TRUE(DeleteRegTree(HKEY_LOCAL_MACHINE, InstallRecordKey(row.maker, row.title)));
    if (row.installed) {
      ASSERT_TRUE(WriteInstallRecord(row.maker, row.title, L"C:\\Games\\Installed\\"));
    }
    const CDisc disc = PrepareDisc(row.fixture, L"DISC1");
    ASSERT_TRUE(InsertDisc(disc));

    const CLauncherRun run = StartLauncher(disc.Path(L"setup.exe"), row.title);
    ASSERT_TRUE(run.window);
    // Found by its exact caption: the title, one half-width blank, セットアップ.
    EXPECT_EQ(run.window.Text(), LauncherCaption(row.title));
    EXPECT_EQ(run.window.ProcessId(), run.process.Id());
    EXPECT_EQ(run.window.ClassName(), L"#32770");

    EXPECT_EQ(run.window.ControlText(kInstallId), L"インストールする");
    EXPECT_EQ(run.window.ControlText(kDirectXId), L"DirectX 8.1をインストールする");
    EXPECT_EQ(run.window.ControlText(kStartGameId), L"ゲームを起動する");
    EXPECT_EQ(run.window.ControlText(kUninstallId), L"アンインストールする");
    EXPECT_EQ(run.window.ControlText(kReadmeId), row.readmeText);

    EXPECT_EQ(run.window.ControlEnabled(kInstallId), !row.installed);
    EXPECT_TRUE(run.window.ControlEnabled(kDirectXId));
    EXPECT_EQ(run.window.ControlEnabled(kStartGameId), row.installed);
    EXPECT_EQ(run.window.ControlEnabled(kUninstallId), row.installed);
    EXPECT_EQ(run.window.ControlEnabled(kReadmeId), row.readmeEnabled);
    for (const int id : {kInstallId, kDirectXId, kStartGameId, kUninstallId, kReadmeId}) {
      EXPECT_TRUE(run.window.ControlVisible(id)) << id;
      // None of them is the default push button.
      EXPECT_NE(run.window.ControlStyle(id) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << id;
    }
    ASSERT_TRUE(CloseLauncher(run.window));
  }
}

TEST(LauncherDialog, PictureAreaIsEmptyWithoutABitmap) {
  struct Row {
    const wchar_t* fixture;
    bool picture;
  };
  const Row rows[] = {
      {L"single", true},      // "setup.bmp" in the package
      {L"nopicture", false},  // no "setup.bmp"
      {L"notbmp", false},     // "setup.bmp" that does not begin with "BM"
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture);
    const CDisc disc = PrepareDisc(row.fixture, L"DISC1");
    ASSERT_TRUE(InsertDisc(disc));
    const CLauncherRun run = StartLauncher(disc.Path(L"setup.exe"), kStarTitle);
    ASSERT_TRUE(run.window);

    EXPECT_EQ(run.window.ControlStyle(kPictureId) & SS_TYPEMASK, SS_BITMAP);
    EXPECT_TRUE(run.window.ControlVisible(kPictureId));
    const std::optional<LRESULT> image = run.window.SendToControl(kPictureId, STM_GETIMAGE, IMAGE_BITMAP);
    ASSERT_TRUE(image);
    EXPECT_EQ(*image != 0, row.picture);
    // Without a picture everything else works as usual.
    EXPECT_TRUE(run.window.ControlEnabled(kInstallId));
    EXPECT_TRUE(run.window.ControlEnabled(kDirectXId));
    EXPECT_TRUE(run.window.ControlEnabled(kReadmeId));
    ASSERT_TRUE(CloseLauncher(run.window));
  }
}

TEST(LauncherDialog, EscAndCloseBoxCloseItCommandButtonsDoNot) {
  const std::wstring folder = L"C:\\Games\\星の旅人\\";
  ASSERT_TRUE(CopyFixtureDisc(L"single", L"DISC1", folder, false));
  ASSERT_TRUE(WriteInstallRecord(kMaker, kStarTitle, folder));
  ASSERT_TRUE(RegisterDocumentOpener(L".txt"));
  const CDisc disc = PrepareDisc(L"single", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));

  CLauncherRun run = StartLauncher(disc.Path(L"setup.exe"), kStarTitle);
  ASSERT_TRUE(run.window);
  // Disabled while installed: a person cannot press it, nor can the driver.
  EXPECT_FALSE(run.window.Click(kInstallId, 0));

  ASSERT_TRUE(run.window.Click(kDirectXId));
  EXPECT_TRUE(WaitForFile(disc.Path(L"dxsetup_ran.txt")));
  EXPECT_TRUE(run.window.StaysOpen());
  ASSERT_TRUE(run.window.Click(kStartGameId));
  EXPECT_TRUE(WaitForFile(folder + L"game_ran.txt"));
  EXPECT_TRUE(run.window.StaysOpen());
  ASSERT_TRUE(run.window.Click(kReadmeId));
  EXPECT_TRUE(WaitDocumentOpened());
  EXPECT_TRUE(run.window.StaysOpen());
  EXPECT_TRUE(run.process.IsRunning());

  ASSERT_TRUE(run.window.PressKey(VK_ESCAPE));
  EXPECT_TRUE(run.window.WaitGone());
  EXPECT_TRUE(run.process.WaitExit());

  run = StartLauncher(disc.Path(L"setup.exe"), kStarTitle);
  ASSERT_TRUE(run.window);
  ASSERT_TRUE(run.window.Close());
  EXPECT_TRUE(run.window.WaitGone());
  EXPECT_TRUE(run.process.WaitExit());
}

}  // namespace
}  // namespace e2e
