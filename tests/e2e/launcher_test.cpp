// The launcher: which starts end silently, the source folder, a second
// start, the window itself, and the three commands it carries out itself.
#include <gtest/gtest.h>

#include "Steps.h"
#include "install/InstallNames.h"

namespace e2e {
namespace {

constexpr wchar_t kStar[] = L"星の旅人";          // fixtures single, nodirectx and the damaged ones
constexpr wchar_t kMulti[] = L"星の旅人 完全版";  // fixture multi
const BoxIs kDisc2{L"DISC2を挿入してください。", L"インストール", {IDOK, IDCANCEL}};
const std::vector<int> kCommands{kInstallId, kDirectXId, kStartGameId, kUninstallId, kReadmeId};

const std::wstring kLong = L"星の旅人・" + std::wstring(241, L'長');  // fixture longtitle

std::wstring TempCopy() { return TempFolder() + L"setup_" + kMulti + L".exe"; }

TEST(LauncherStart, EndsWithoutAWindowWhenThePackageIsUnusable) {
  // Exit codes: 11 no package, 12 no settings or no file sizes.
  Play({Insert(L"single"), Delete(L"Q:\\setup"), Silent(L"Q:\\setup.exe", {}, 11)});
  Play({Insert(L"single"), Write(L"Q:\\setup", "ARC0 this is no package\r\n"),
        Silent(L"Q:\\setup.exe", {}, 11)});
  Play({Insert(L"single"), Drop("setting.csv"), Silent(L"Q:\\setup.exe", {}, 12)});
  Play({Insert(L"single"), Drop("filesize"), Silent(L"Q:\\setup.exe", {}, 12)});
}

TEST(LauncherStart, RefusesUnusableSettingsWithAMessage) {
  // Settings that setuppack refuses but a disc may hold: no maker (the key
  // renamed), a file name that climbs out of the install folder.
  for (const auto& [from, to, text] :
       {std::tuple{L"社名,", L"XXXX,", L"セットアップ情報の「社名」が空です。"},
        {L"data\\stage1", L"..\\a\\stage1",
         L"セットアップ情報の「ファイル」の名前「..\\a\\stage1.dat」は使用できません。"}}) {
    Play({Insert(L"single"), Replace("setting.csv", from, to), Spawn(L"Q:\\setup.exe"),
          Box({std::wstring(text) + L"\nセットアップを開始できません。", L"セットアップ", {IDOK}},
              kKeep),
          Windows(LauncherCaption(kStar), 0), Answer(IDOK), Exited(13),
          Windows(LauncherCaption(kStar), 0)});
  }
}

TEST(LauncherStart, FolderArgumentBecomesTheSourceFolder) {
  // setup.exe alone in one folder, the product in another with a blank.
  const std::wstring program = L"C:\\プログラム\\setup.exe", product = L"C:\\ソース 1\\";
  Play({CopyTo(SetupProgram(), program), CopyDisc(L"single", product, false),
        Start(program, kStar, L"\"C:\\ソース 1\""), ShownBy(program, product, false), Close(),
        // A two-disc product shows the launcher at once when given its folder.
        Insert(L"multi"), Start(L"Q:\\setup.exe", kMulti, L"Q:\\"),
        ShownBy(L"Q:\\setup.exe", L"Q:\\", false), Close(),
        // A switch is never taken for the folder.
        Insert(L"single"), Start(L"Q:\\setup.exe", kStar, L"/x"),
        ShownBy(L"Q:\\setup.exe", L"Q:\\", false), Close(), Exists(TempCopy(), false)});
}

TEST(LauncherStart, SecondStartActivatesTheOpenLauncher) {
  Play({Insert(L"single"), Start(L"Q:\\setup.exe", kStar), StealFocus(),
        Silent(L"Q:\\setup.exe", {}, 14), Windows(LauncherCaption(kStar), 1), Foreground(),
        // Another product's launcher is not the same launcher.
        CopyDisc(L"noreadme", L"C:\\Other\\"), Start(L"C:\\Other\\setup.exe", L"Sample"), Close(),
        Windows(LauncherCaption(kStar), 1), Close()});
}

TEST(LauncherDialog, ButtonsFollowInstallRecordAndReadme) {
  const std::wstring installed = L"C:\\Games\\Installed\\";
  const std::wstring byHand = L"C:\\" + std::wstring(296, L'x') + L"\\";  // longer than a path
  struct {
    const wchar_t *fixture, *maker, *title;
    std::wstring record;  // "": not installed
    const wchar_t* readme;
    bool readmeEnabled;
  } const rows[] = {
      {L"single", kMaker, kStar, L"", L"readme.txtを開く", true},
      {L"single", kMaker, kStar, installed, L"readme.txtを開く", true},
      {L"single", kMaker, kStar, byHand, L"readme.txtを開く", true},
      {L"noreadme", L"Maker", L"Sample", L"", L"readmeを開く", false},
      {L"noreadme", L"Maker", L"Sample", installed, L"readmeを開く", false},
      {L"subfolders", kMaker, L"夜明けの街", L"", L"manual\\readme.txtを開く", true},
  };
  for (const auto& row : rows) {
    const bool isInstalled = !row.record.empty();
    Play({SetRecord(row.title, row.record, row.maker), Insert(row.fixture),
          Start(L"Q:\\setup.exe", row.title), ShownBy(L"Q:\\setup.exe", L"Q:\\", false),
          Text(kInstallId, L"インストールする"), Text(kDirectXId, L"DirectX 8.1をインストールする"),
          Text(kStartGameId, L"ゲームを起動する"), Text(kUninstallId, L"アンインストールする"),
          Text(kReadmeId, row.readme), Enabled({kInstallId}, !isInstalled),
          Enabled({kDirectXId}, true), Enabled({kStartGameId, kUninstallId}, isInstalled),
          Enabled({kReadmeId}, row.readmeEnabled), Visible(kCommands, true), NotDefault(kCommands),
          Close()});
  }
}

TEST(LauncherDialog, PictureAreaIsEmptyWithoutABitmap) {
  // "setup.bmp" in the package; none; one that does not begin with "BM".
  const std::pair<std::vector<Step>, bool> rows[] = {
      {{}, true}, {{Drop("setup.bmp")}, false}, {{NotBitmap("setup.bmp")}, false}};
  for (const auto& [damage, picture] : rows) {
    Play(std::vector<Step>{Insert(L"single")} + damage +
         std::vector<Step>{Start(L"Q:\\setup.exe", kStar), Picture(picture),
                           Enabled({kInstallId, kDirectXId, kReadmeId}, true), Close()});
  }
}

TEST(LauncherDialog, PicturesGrowWithTheScreenScale) {
  // The launcher's and the destination page's pictures, at 100 % then 150 %.
  SIZE launcher{}, page{};
  for (const auto& [dpi, times] : {std::pair{96ul, 1.0}, {144ul, 1.5}}) {
    Play({Dpi(dpi), Insert(L"single"), Start(L"Q:\\setup.exe", kStar), Picture(true),
          Sized(kPicture, launcher, times), Click(kInstallId), Page(0), Picture(true),
          Sized(kPicture, page, times), Cancel(), Box({{}, L"中断"}, IDYES), SheetGone(), Close()});
  }
}

TEST(LauncherDialog, EscAndCloseBoxCloseItCommandButtonsDoNot) {
  const std::wstring folder = L"C:\\Games\\星の旅人\\";
  Play({CopyDisc(L"single", folder, false),
        SetRecord(kStar, folder),
        Opener(),
        Insert(L"single"),
        Start(L"Q:\\setup.exe", kStar),
        Enabled({kInstallId}, false),
        Click(kDirectXId),
        Marker(L"Q:\\dxsetup_ran.txt"),
        StaysOpen(),
        Click(kStartGameId),
        Marker(folder + L"game_ran.txt"),
        StaysOpen(),
        Click(kReadmeId),
        Opened(),
        StaysOpen(),
        Key(VK_ESCAPE),
        Gone(),
        Start(L"Q:\\setup.exe", kStar),
        CloseBox(),
        Gone()});
}

TEST(LauncherDirectX, RunsTheDiscsSetupWithoutAsking) {
  Play({Insert(L"single"), Start(L"Q:\\setup.exe", kStar), Click(kDirectXId),
        Marker(L"Q:\\dxsetup_ran.txt", L"Q:\\directx\\dxsetup.exe", L"Q:\\"), StaysOpen(), NoBox(),
        Close()});
}

TEST(LauncherDirectX, AsksForTheFirstFilesDiscUntilTheSetupIsThere) {
  // The first file of nodirectx lies on DISC2; no disc of it holds the set-up.
  Play({Insert(L"nodirectx"), Start(L"Q:\\setup.exe", kStar, L"Q:\\"), Click(kDirectXId),
        Box(kDisc2, kKeep), Usable(false), Answer(IDOK),
        Box(kDisc2, kKeep),  // nothing changed: asked again
        Insert(L"single"), Answer(IDOK), Marker(L"Q:\\dxsetup_ran.txt"), NoBox(), Usable(true),
        // The first disc again; its set-up appears while the question is open.
        Insert(L"nodirectx"), Click(kDirectXId), Box(kDisc2, kKeep),
        CopyTo(FixtureDisc(L"single", L"DISC1") + L"\\directx\\dxsetup.exe",
               L"Q:\\directx\\dxsetup.exe"),
        Answer(IDOK), Marker(L"Q:\\dxsetup_ran.txt", L"Q:\\directx\\dxsetup.exe", L"Q:\\"),
        StaysOpen(), NoBox(), Close()});
}

TEST(LauncherDirectX, CancelGivesUpWithoutFurtherMessages) {
  for (const auto& [fixture, title, disc] :
       {std::tuple{L"nodirectx", kStar, L"DISC2"}, {L"nofiles", L"空の箱", L"DISC1"}}) {
    const std::vector<Step> cancel{
        Click(kDirectXId),
        Box({disc + std::wstring(L"を挿入してください。"), L"インストール"}, IDCANCEL), StaysOpen(),
        NoBox(), Usable(true)};
    std::vector<Step> steps{Insert(fixture), Start(L"Q:\\setup.exe", title, L"Q:\\")};
    for (int attempt = 0; attempt < 2; ++attempt)
      steps.insert(steps.end(), cancel.begin(), cancel.end());
    steps.insert(steps.end(), {Exists(L"Q:\\dxsetup_ran.txt", false), Close()});
    Play(steps);
  }
}

TEST(LauncherStartGame, RunsTheRecordedProgramInTheInstallFolder) {
  for (const auto& [fixture, title, exe] : {std::tuple{L"single", kStar, L"game.exe"},
                                            {L"subfolders", L"夜明けの街", L"bin\\game.exe"}}) {
    // Installed by hand into a folder with a blank, and recorded.
    const std::wstring folder = std::wstring(L"C:\\ゲーム 置き場\\") + title + L"\\";
    Play({CopyDisc(fixture, folder, false), SetRecord(title, folder), Insert(fixture),
          Start(L"Q:\\setup.exe", title), Click(kStartGameId),
          Marker(folder + L"game_ran.txt", folder + exe, folder),
          Exists(L"Q:\\game_ran.txt", false), StaysOpen(), Close()});
  }
}

TEST(LauncherReadme, OpensTheSourceFoldersReadme) {
  // Only opened, never written: it may lie beside the disc's folder.
  for (const auto& [fixture, title, readme] :
       {std::tuple{L"single", kStar, L"readme.txt"},
        {L"subfolders", L"夜明けの街", L"manual\\readme.txt"},
        {L"readmeabove", L"上の説明書", L"..\\manual.txt"}}) {
    const std::wstring folder = std::wstring(L"C:\\セットアップ 元\\") + fixture + L"\\";
    Play({Opener(), CopyDisc(fixture, folder), Write(folder + readme, "manual"),
          Start(folder + L"setup.exe", title), Click(kReadmeId), Opened(folder + readme),
          StaysOpen(), Close()});
  }
}

TEST(LauncherRelaunch, MultiDiscStartRestartsFromATempCopy) {
  Play({Opener(), Insert(L"multi"), Exists(TempCopy(), false), Start(L"Q:\\setup.exe", kMulti),
        ShownBy(TempCopy(), L"Q:\\", true), Bytes(TempCopy(), SetupProgram()),
        // Its commands work relative to the disc, not to the temporary folder.
        Click(kReadmeId), Opened(L"Q:\\readme.txt"), Click(kDirectXId),
        Marker(L"Q:\\dxsetup_ran.txt", {}, L"Q:\\"),
        // Starting from the disc again only brings the copy's launcher forward.
        Silent(L"Q:\\setup.exe", {}, 14), Windows(LauncherCaption(kMulti), 1), Close()});
}

TEST(LauncherRelaunch, ReplacesAReadOnlyOlderCopy) {
  Play({Write(TempCopy(), "an older launcher"), ReadOnly(TempCopy()), Insert(L"multi"),
        Start(L"Q:\\setup.exe", kMulti), ShownBy(TempCopy(), L"Q:\\", true),
        Bytes(TempCopy(), SetupProgram()), Attribute(TempCopy(), FILE_ATTRIBUTE_READONLY, false),
        Close()});
}

TEST(LauncherRelaunch, SourceFolderWithABlankIsKeptWhole) {
  for (const auto& [fixture, title, folder, relaunched] :
       {std::tuple{L"multi", kMulti, L"C:\\セットアップ ディスク\\DISC 1\\", true},
        {L"single", kStar, L"C:\\my setup disc\\", false}}) {
    const std::wstring shown = relaunched ? TempCopy() : folder + std::wstring(L"setup.exe");
    Play({Opener(), CopyDisc(fixture, folder), Start(folder + std::wstring(L"setup.exe"), title),
          ShownBy(shown, folder, relaunched), Click(kReadmeId),
          Opened(folder + std::wstring(L"readme.txt")), Close()});
  }
}

TEST(LauncherRelaunch, ALongTitleRunsFromAShortenedCopyAndAFailedCopyIsTold) {
  // "setup_<title>.exe" would pass 259 characters in the temporary folder.
  const std::wstring shortened = TempFolder() + TempProgramName(TempFolder(), kLong);
  Play({Insert(L"longtitle"), Start(L"Q:\\setup.exe", kLong), ShownBy(shortened, L"Q:\\", true),
        Close(),
        // A folder where the copy belongs: the copy cannot be made.
        Insert(L"multi"), MakeFolder(TempCopy()), Spawn(L"Q:\\setup.exe"),
        Box({L"セットアップを一時フォルダにコピーして起動できませんでした。\n" + TempFolder() +
                 L"\n一時フォルダを確認して、もう一度お試しください。",
             L"セットアップ",
             {IDOK}},
            IDOK),
        Exited(16), Windows(LauncherCaption(kMulti), 0)});
}

}  // namespace
}  // namespace e2e
