// The three commands that the launcher carries out itself: the DirectX
// set-up from the disc, the installed game, the readme.
#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

constexpr wchar_t kMaker[] = L"サンプル工房";
constexpr wchar_t kStarTitle[] = L"星の旅人";  // fixtures single and nodirectx

std::wstring DxSetupMaster() { return FixtureDisc(L"single", L"DISC1") + L"\\directx\\dxsetup.exe"; }

TEST(LauncherDirectX, RunsTheDiscsSetupWithoutAsking) {
  const CDisc disc = PrepareDisc(L"single", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));
  const CLauncherRun run = StartLauncher(disc.Path(L"setup.exe"), kStarTitle);
  ASSERT_TRUE(run.window);

  ASSERT_TRUE(run.window.Click(kDirectXId));
  const auto marker = WaitForMarker(L"Q:\\dxsetup_ran.txt");
  ASSERT_FALSE(marker.empty());
  EXPECT_TRUE(SamePath(marker.at(L"exe"), L"Q:\\directx\\dxsetup.exe")) << marker.at(L"exe");
  EXPECT_TRUE(SamePath(marker.at(L"cwd"), L"Q:\\")) << marker.at(L"cwd");
  EXPECT_TRUE(run.window.StaysOpen());
  EXPECT_TRUE(MessageBoxes(run.process.Id()).empty());
  ASSERT_TRUE(CloseLauncher(run.window));
}

TEST(LauncherDirectX, AsksForTheFirstFilesDiscUntilTheSetupIsThere) {
  // The first file of this product lies on DISC2; no disc holds the set-up.
  const CDisc disc = PrepareDisc(L"nodirectx", L"DISC1");
  const CDisc withSetup = PrepareDisc(L"single", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));
  const CLauncherRun run = StartLauncher(L"Q:\\setup.exe", kStarTitle, L"Q:\\");
  ASSERT_TRUE(run.window);

  ASSERT_TRUE(run.window.Click(kDirectXId));
  std::optional<CMessageBox> box = WaitMessageBox(run.process.Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, L"インストール");
  EXPECT_EQ(box->text, L"DISC2を挿入してください。");
  EXPECT_EQ(box->buttons, (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_EQ(box->owner.Handle(), run.window.Handle());
  EXPECT_FALSE(run.window.IsEnabled());

  // OK with nothing changed: asked again.
  ASSERT_TRUE(box->Answer(IDOK));
  box = WaitMessageBox(run.process.Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, L"DISC2を挿入してください。");

  // Another disc in the drive, one that has the set-up: OK runs it from there.
  ASSERT_TRUE(InsertDisc(withSetup));
  ASSERT_TRUE(box->Answer(IDOK));
  // Written whole before the disc goes out again.
  ASSERT_FALSE(WaitForMarker(L"Q:\\dxsetup_ran.txt").empty());
  EXPECT_TRUE(MessageBoxes(run.process.Id()).empty());
  EXPECT_TRUE(run.window.IsEnabled());

  // The first disc again; its set-up appears while the question is open.
  ASSERT_TRUE(InsertDisc(disc));
  ASSERT_TRUE(run.window.Click(kDirectXId));
  box = WaitMessageBox(run.process.Id());
  ASSERT_TRUE(box);
  ASSERT_TRUE(CreateFolders(L"Q:\\directx"));
  ASSERT_TRUE(::CopyFileW(DxSetupMaster().c_str(), L"Q:\\directx\\dxsetup.exe", FALSE));
  ASSERT_TRUE(box->Answer(IDOK));
  const auto marker = WaitForMarker(L"Q:\\dxsetup_ran.txt");
  ASSERT_FALSE(marker.empty());
  EXPECT_TRUE(SamePath(marker.at(L"cwd"), L"Q:\\")) << marker.at(L"cwd");
  EXPECT_TRUE(run.window.StaysOpen());
  EXPECT_TRUE(MessageBoxes(run.process.Id()).empty());

  ASSERT_TRUE(EjectDisc());
  EXPECT_TRUE(FileExists(withSetup.Path(L"dxsetup_ran.txt")));
  EXPECT_TRUE(FileExists(disc.Path(L"dxsetup_ran.txt")));
  ASSERT_TRUE(CloseLauncher(run.window));
}

TEST(LauncherDirectX, CancelGivesUpWithoutFurtherMessages) {
  struct Row {
    const wchar_t* fixture;
    const wchar_t* title;
    const wchar_t* prompt;
  };
  const Row rows[] = {
      {L"nodirectx", kStarTitle, L"DISC2を挿入してください。"},
      {L"nofiles", L"空の箱", L"DISC1を挿入してください。"},  // no files: DISC1
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture);
    const CDisc disc = PrepareDisc(row.fixture, L"DISC1");
    ASSERT_TRUE(InsertDisc(disc));
    const CLauncherRun run = StartLauncher(L"Q:\\setup.exe", row.title, L"Q:\\");
    ASSERT_TRUE(run.window);

    for (int attempt = 0; attempt < 2; ++attempt) {
      ASSERT_TRUE(run.window.Click(kDirectXId));
      const std::optional<CMessageBox> box = WaitMessageBox(run.process.Id());
      ASSERT_TRUE(box);
      EXPECT_EQ(box->caption, L"インストール");
      EXPECT_EQ(box->text, row.prompt);
      ASSERT_TRUE(box->Answer(IDCANCEL));
      EXPECT_TRUE(run.window.StaysOpen());
      EXPECT_TRUE(MessageBoxes(run.process.Id()).empty());
      EXPECT_TRUE(run.window.IsEnabled());
    }
    EXPECT_FALSE(FileExists(L"Q:\\dxsetup_ran.txt"));
    ASSERT_TRUE(CloseLauncher(run.window));
  }
}

TEST(LauncherStartGame, RunsTheRecordedProgramInTheInstallFolder) {
  struct Row {
    const wchar_t* fixture;
    const wchar_t* title;
    const wchar_t* exeFile;
  };
  const Row rows[] = {
      {L"single", kStarTitle, L"game.exe"},
      {L"subfolders", L"夜明けの街", L"bin\\game.exe"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture);
    // Installed by hand: the product's files in a folder with a blank, and
    // the record naming it.
    const std::wstring folder = std::wstring(L"C:\\ゲーム 置き場\\") + row.title + L"\\";
    ASSERT_TRUE(CopyFixtureDisc(row.fixture, L"DISC1", folder, false));
    ASSERT_TRUE(WriteInstallRecord(kMaker, row.title, folder));
    const CDisc disc = PrepareDisc(row.fixture, L"DISC1");
    ASSERT_TRUE(InsertDisc(disc));
    const CLauncherRun run = StartLauncher(disc.Path(L"setup.exe"), row.title);
    ASSERT_TRUE(run.window);

    ASSERT_TRUE(run.window.Click(kStartGameId));
    // The game leaves its marker in its current directory.
    const auto marker = WaitForMarker(folder + L"game_ran.txt");
    ASSERT_FALSE(marker.empty());
    EXPECT_TRUE(SamePath(marker.at(L"exe"), folder + row.exeFile)) << marker.at(L"exe");
    EXPECT_TRUE(SamePath(marker.at(L"cwd"), folder)) << marker.at(L"cwd");
    EXPECT_FALSE(FileExists(L"Q:\\game_ran.txt"));
    EXPECT_TRUE(run.window.StaysOpen());
    ASSERT_TRUE(CloseLauncher(run.window));
  }
}

TEST(LauncherReadme, OpensTheSourceFoldersReadme) {
  ASSERT_TRUE(RegisterDocumentOpener(L".txt"));
  struct Row {
    const wchar_t* fixture;
    const wchar_t* title;
    const wchar_t* readme;
  };
  const Row rows[] = {
      {L"single", kStarTitle, L"readme.txt"},
      {L"subfolders", L"夜明けの街", L"manual\\readme.txt"},
      // Only opened, never written: it may lie beside the disc's folder.
      {L"readmeabove", L"上の説明書", L"..\\manual.txt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture);
    const std::wstring folder = std::wstring(L"C:\\セットアップ 元\\") + row.fixture + L"\\";
    ASSERT_TRUE(CopyFixtureDisc(row.fixture, L"DISC1", folder));
    if (!FileExists(folder + row.readme)) {
      ASSERT_TRUE(WriteFileBytes(folder + row.readme, "manual"));
    }
    const CLauncherRun run = StartLauncher(folder + L"setup.exe", row.title);
    ASSERT_TRUE(run.window);

    ASSERT_TRUE(run.window.Click(kReadmeId));
    const std::optional<COpenedDocument> opened = WaitDocumentOpened();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(SamePath(opened->FullPath(), folder + row.readme))
        << opened->file << " in " << opened->folder;
    EXPECT_TRUE(run.window.StaysOpen());
    ASSERT_TRUE(CloseLauncher(run.window));
  }
}

}  // namespace
}  // namespace e2e
