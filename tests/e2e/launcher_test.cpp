// The launcher: which starts end silently, the source folder, a second
// start, the window itself, and the three commands it carries out itself.
#include <gtest/gtest.h>

#include "Steps.h"
#include "install/InstallNames.h"

namespace e2e {
namespace {

const BoxIs kDisc2{L"DISC2を挿入してください。", L"インストール", {IDOK, IDCANCEL}};
const std::vector<int> kCommands{IDC_INSTALL, IDC_DIRECTX, IDC_START_GAME, IDC_UNINSTALL,
                                 IDC_README};

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
          Launchers(L"single", 0), Answer(IDOK), Exited(13), Launchers(L"single", 0)});
  }
}

TEST(LauncherStart, FolderArgumentBecomesTheSourceFolder) {
  // setup.exe alone in one folder, the product in another with a blank.
  const std::wstring program = L"C:\\プログラム\\setup.exe", product = L"C:\\ソース 1\\";
  Play({CopyTo(SetupProgram(), program), CopyDisc(L"single", product, false),
        Start(program, L"single", L"\"C:\\ソース 1\""), ShownBy(product, program), Close(),
        // A two-disc product shows the launcher at once when given its folder.
        Insert(L"multi"), Start(L"Q:\\setup.exe", L"multi", L"Q:\\"),
        ShownBy(L"Q:\\", L"Q:\\setup.exe"), Close(),
        // A switch is never taken for the folder.
        Insert(L"single"), Start(L"Q:\\setup.exe", L"single", L"/x"),
        ShownBy(L"Q:\\", L"Q:\\setup.exe"), Close(), RunCopies(L"multi", 0)});
}

TEST(LauncherStart, SecondStartActivatesTheOpenLauncher) {
  Play({Insert(L"single"), Start(L"Q:\\setup.exe", L"single"), StealFocus(),
        Silent(L"Q:\\setup.exe", {}, 14), Launchers(L"single", 1), Foreground(),
        // Another product's launcher is not the same launcher.
        CopyDisc(L"noreadme", L"C:\\Other\\"), Start(L"C:\\Other\\setup.exe", L"noreadme"), Close(),
        Launchers(L"single", 1), Close()});
}

TEST(LauncherDialog, ButtonsFollowInstallRecordAndReadme) {
  const std::wstring installed = L"C:\\Games\\Installed\\";
  const std::wstring byHand = L"C:\\" + std::wstring(296, L'x') + L"\\";  // longer than a path
  struct {
    const wchar_t* fixture;
    std::wstring record;  // "": not installed
    const wchar_t* readme;
    bool readmeEnabled;
  } const rows[] = {
      {L"single", L"", L"readme.txtを開く", true},
      {L"single", installed, L"readme.txtを開く", true},
      {L"single", byHand, L"readme.txtを開く", true},
      {L"noreadme", L"", L"readmeを開く", false},
      {L"noreadme", installed, L"readmeを開く", false},
      {L"subfolders", L"", L"manual\\readme.txtを開く", true},
  };
  for (const auto& row : rows) {
    const bool isInstalled = !row.record.empty();
    Play({SetRecord(row.fixture, row.record), Insert(row.fixture),
          Start(L"Q:\\setup.exe", row.fixture), ShownBy(L"Q:\\", L"Q:\\setup.exe"),
          Text(IDC_INSTALL, L"インストールする"),
          Text(IDC_DIRECTX, L"DirectX 8.1をインストールする"),
          Text(IDC_START_GAME, L"ゲームを起動する"), Text(IDC_UNINSTALL, L"アンインストールする"),
          Text(IDC_README, row.readme), Enabled({IDC_INSTALL}, !isInstalled),
          Enabled({IDC_DIRECTX}, true), Enabled({IDC_START_GAME, IDC_UNINSTALL}, isInstalled),
          Enabled({IDC_README}, row.readmeEnabled), Visible(kCommands, true), NotDefault(kCommands),
          Close()});
  }
}

TEST(LauncherDialog, PictureAreaIsEmptyWithoutABitmap) {
  // "setup.bmp" in the package; none; one that does not begin with "BM".
  const std::pair<Step, bool> rows[] = {
      {Steps({}), true}, {Drop("setup.bmp"), false}, {NotBitmap("setup.bmp"), false}};
  for (const auto& [damage, picture] : rows) {
    Play({Insert(L"single"), damage, Start(L"Q:\\setup.exe", L"single"), Picture(picture),
          Enabled({IDC_INSTALL, IDC_DIRECTX, IDC_README}, true), Close()});
  }
}

TEST(LauncherDialog, PicturesGrowWithTheScreenScale) {
  // The launcher's and the destination page's pictures, at 100 % then 150 %.
  SIZE launcher{}, page{};
  for (const auto& [dpi, times] : {std::pair{96ul, 1.0}, {144ul, 1.5}}) {
    Play({Dpi(dpi), Insert(L"single"), Start(L"Q:\\setup.exe", L"single"), Picture(true),
          Sized(IDC_PICTURE, launcher, times), Click(IDC_INSTALL), Page(0), Picture(true),
          Sized(IDC_PICTURE, page, times), Cancel(), Box({{}, L"中断"}, IDYES), SheetGone(),
          Close()});
  }
}

TEST(LauncherDialog, EscAndCloseBoxCloseItCommandButtonsDoNot) {
  const std::wstring folder = L"C:\\Games\\星の旅人\\";
  // DirectX runs the disc's set-up at once, without asking.
  const Step commands = Steps(
      {Click(IDC_DIRECTX), Marker(L"Q:\\dxsetup_ran.txt", L"Q:\\directx\\dxsetup.exe", L"Q:\\"),
       StaysOpen(), NoBox(), Click(IDC_START_GAME), Marker(folder + L"game_ran.txt"), StaysOpen(),
       Click(IDC_README), Opened(), StaysOpen()});
  Play({CopyDisc(L"single", folder, false), SetRecord(L"single", folder), Opener(),
        Insert(L"single"), Start(L"Q:\\setup.exe", L"single"), Enabled({IDC_INSTALL}, false),
        commands, Key(VK_ESCAPE), Gone(), Start(L"Q:\\setup.exe", L"single"), CloseBox(), Gone()});
}

TEST(LauncherDirectX, AsksForTheFirstFilesDiscUntilTheSetupIsThere) {
  // The first file of nodirectx lies on DISC2; no disc of it holds the set-up.
  Play({Insert(L"nodirectx"), Start(L"Q:\\setup.exe", L"nodirectx", L"Q:\\"), Click(IDC_DIRECTX),
        Box(kDisc2, kKeep), Usable(false), Answer(IDOK),
        Box(kDisc2, kKeep),  // nothing changed: asked again
        Insert(L"single"), Answer(IDOK), Marker(L"Q:\\dxsetup_ran.txt"), NoBox(), Usable(true),
        // The first disc again; its set-up appears while the question is open.
        Insert(L"nodirectx"), Click(IDC_DIRECTX), Box(kDisc2, kKeep),
        CopyTo(FixtureDisc(L"single", L"DISC1") + L"\\directx\\dxsetup.exe",
               L"Q:\\directx\\dxsetup.exe"),
        Answer(IDOK), Marker(L"Q:\\dxsetup_ran.txt", L"Q:\\directx\\dxsetup.exe", L"Q:\\"),
        StaysOpen(), NoBox(), Close()});
}

TEST(LauncherDirectX, CancelGivesUpWithoutFurtherMessages) {
  for (const auto& [fixture, disc] : {std::pair{L"nodirectx", L"DISC2"}, {L"nofiles", L"DISC1"}}) {
    const Step cancel =
        Steps({Click(IDC_DIRECTX),
               Box({disc + std::wstring(L"を挿入してください。"), L"インストール"}, IDCANCEL),
               StaysOpen(), NoBox(), Usable(true)});
    Play({Insert(fixture), Start(L"Q:\\setup.exe", fixture, L"Q:\\"), cancel, cancel,
          Exists(L"Q:\\dxsetup_ran.txt", false), Close()});
  }
}

TEST(LauncherStartGame, RunsTheRecordedProgramInTheInstallFolder) {
  for (const auto& [fixture, exe] :
       {std::pair{L"single", L"game.exe"}, {L"subfolders", L"bin\\game.exe"}}) {
    // Installed by hand into a folder with a blank, and recorded.
    const std::wstring folder = L"C:\\ゲーム 置き場\\" + Product(fixture).title + L"\\";
    Play({CopyDisc(fixture, folder, false), SetRecord(fixture, folder), Insert(fixture),
          Start(L"Q:\\setup.exe", fixture), Click(IDC_START_GAME),
          Marker(folder + L"game_ran.txt", folder + exe, folder, true),
          Exists(L"Q:\\game_ran.txt", false), StaysOpen(), Close()});
  }
}

TEST(LauncherRights, InstallOpensTheWizardAloneEvenBesideAnOpenLauncher) {
  // The launcher's own Install runs it as a process of its own (every
  // wizard scenario checks that); from a command line it opens alone.
  for (const std::size_t launchers : {1u, 0u}) {
    Play({Insert(L"single"), launchers ? Start(L"Q:\\setup.exe", L"single") : Steps({}),
          Spawn(L"Q:\\setup.exe", L"/install"), Page(0), Cancel(), Box({{}, L"中断"}, IDYES),
          SheetGone(), Exited(1), Launchers(L"single", launchers)});
  }
  Play({Insert(L"single"), SetRecord(L"single", L"C:\\installed\\"),
        Spawn(L"Q:\\setup.exe", L"/install"),
        Box({L"このアプリケーションは既にインストールされています。", L"インストール"}, IDOK),
        Exited(4)});
}

TEST(LauncherReadme, OpensTheSourceFoldersReadme) {
  // Only opened, never written: it may lie beside the disc's folder.
  for (const auto& [fixture, readme] : {std::pair{L"single", L"readme.txt"},
                                        {L"subfolders", L"manual\\readme.txt"},
                                        {L"readmeabove", L"..\\manual.txt"}}) {
    const std::wstring folder = std::wstring(L"C:\\セットアップ 元\\") + fixture + L"\\";
    Play({Opener(), CopyDisc(fixture, folder), Write(folder + readme, "manual"),
          Start(folder + L"setup.exe", fixture), Click(IDC_README), Opened(folder + readme),
          StaysOpen(), Close()});
  }
}

TEST(LauncherRelaunch, MultiDiscStartRestartsFromACopyInAFolderOfItsOwn) {
  Play({Opener(), Insert(L"multi"), Start(L"Q:\\setup.exe", L"multi"), ShownBy(L"Q:\\"),
        RunCopies(L"multi", 1),
        // Its commands work relative to the disc, not to the temporary folder.
        Click(IDC_README), Opened(L"Q:\\readme.txt"), Click(IDC_DIRECTX),
        Marker(L"Q:\\dxsetup_ran.txt", {}, L"Q:\\"),
        // Starting from the disc again only brings the copy's launcher forward.
        Silent(L"Q:\\setup.exe", {}, 14), Launchers(L"multi", 1), RunCopies(L"multi", 1), Close(),
        // The next start removes what the closed copy left.
        Start(L"Q:\\setup.exe", L"multi"), ShownBy(L"Q:\\"), RunCopies(L"multi", 1), Close()});
}

TEST(LauncherRelaunch, AStartRemovesOnlyWhatEarlierCopiesLeft) {
  const std::wstring left = TempFolder() + L"setup-run-0badc0de\\setup_old.exe",
                     other = TempFolder() + L"setup-run-12345678\\notes.txt";
  Play({Write(left, "an older launcher"), ReadOnly(left), Write(other, "not a copy"),
        Insert(L"multi"), Start(L"Q:\\setup.exe", L"multi"), ShownBy(L"Q:\\"),
        Exists(TempFolder() + L"setup-run-0badc0de", false), Exists(other, true), Close()});
}

TEST(LauncherRelaunch, SourceFolderWithABlankIsKeptWhole) {
  for (const auto& [fixture, folder, relaunched] :
       {std::tuple{L"multi", L"C:\\セットアップ ディスク\\DISC 1\\", true},
        {L"single", L"C:\\my setup disc\\", false}}) {
    const std::wstring shown = relaunched ? std::wstring() : folder + std::wstring(L"setup.exe");
    Play({Opener(), CopyDisc(fixture, folder), Start(folder + std::wstring(L"setup.exe"), fixture),
          ShownBy(folder, shown), Click(IDC_README), Opened(folder + std::wstring(L"readme.txt")),
          Close()});
  }
}

TEST(LauncherRelaunch, AFailedCopyIsToldAndALongTitleRunsFromAShortenedCopy) {
  const std::wstring temp = TempFolder().substr(0, TempFolder().size() - 1);
  // A file where the temporary folder belongs: no copy can be made.
  Play({RemoveFolder(temp), Write(temp, "a file"), Insert(L"multi"), Spawn(L"Q:\\setup.exe"),
        Box({L"セットアップを一時フォルダにコピーして起動できませんでした。\n" + TempFolder() +
                 L"\n一時フォルダを確認して、もう一度お試しください。",
             L"セットアップ",
             {IDOK}},
            IDOK),
        Exited(16), Launchers(L"multi", 0),
        // "setup_<title>.exe" would pass 259 characters in the copy's folder; a
        // missing temporary folder is made again.
        Delete(temp), Insert(L"longtitle"), Start(L"Q:\\setup.exe", L"longtitle"),
        ShownBy(L"Q:\\"), RunCopies(L"longtitle", 1), Close()});
}

}  // namespace
}  // namespace e2e
