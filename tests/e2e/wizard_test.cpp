// The install wizard: the destination page, the copy from one and two
// discs, Cancel during the copy, failures, and what an installation leaves.
#include <gtest/gtest.h>

#include "Steps.h"

namespace e2e {
namespace {

const BoxIs kDisc2{L"DISC2を挿入してください。", L"インストール", {IDOK, IDCANCEL}};
const BoxIs kNoRecord{
    L"インストール情報をレジストリに書き込めませんでした。\nインストールを中止します。",
    L"インストール",
    {IDOK}};
const BoxIs kShort{L"インストールに必要な容量が不足しています。\nインストールを続行しますか？",
                   L"インストール",
                   {IDYES, IDNO},
                   IDYES};
const BoxIs kQuit{
    L"インストールを中断しますか？", L"中断", {IDYES, IDNO}, IDNO};  // on the destination page
const BoxIs kQuitCopy{
    L"インストールを中断しますか？", L"インストール", {IDYES, IDNO}, IDNO};  // during the copy
// The files of single, and of multi's DISC1.
const std::vector<std::wstring> kSingleFiles{L"game.exe", L"readme.txt", L"data\\stage1.dat"};

Step NotReadOnly(const std::wstring& path) {
  return [=](auto&) { EXPECT_EQ(FileAttributes(path).value_or(0) & FILE_ATTRIBUTE_READONLY, 0u); };
}

std::wstring InstallFolder(const std::wstring& fixture) { return DefaultFolder(fixture) + L"\\"; }

// The open box is the wizard's thread's, as every window is: the copy
// worker that asks its question makes none.
Step BoxOnTheWizardsThread() {
  return [](CRun& run) {
    const std::vector<CWindow> shown = InView(run);  // the wizard, the box
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(::GetWindowThreadProcessId(shown.back().Handle(), nullptr),
              ::GetWindowThreadProcessId(shown.front().Handle(), nullptr));
  };
}

// The wizard opened from the launcher of fixture's first disc.
Step OpenWizard(const std::wstring& fixture) {
  return Steps({Insert(fixture), Start(L"Q:\\setup.exe", fixture), Click(IDC_INSTALL), Page(0)});
}

// The first line of the space text: the listed sizes' sum in KB.
std::wstring Required(const std::wstring& fixture) {
  return L"必要な容量\t" + std::to_wstring(ListedBytes(fixture) >> 10) + L"KB\n";
}

TEST(WizardInstall, TwoDiscsWithADiscSwapInstallFilesLinksAndRecord) {
  const std::wstring folder = InstallFolder(L"multi");
  Play({OpenWizard(L"multi"), PageText(IDC_FOLDER_EDIT, DefaultFolder(L"multi")),
        // The launcher's copy, and the wizard's with rights: each alone in its folder.
        RunCopies(L"multi", 2), Enabled({kBack}, false), Next(),
        // DISC2's files are not on DISC1: asked for until it is in.
        Box(kDisc2, IDOK), Box(kDisc2, IDCANCEL), Box(kQuitCopy, IDNO), Box(kDisc2, kKeep),
        BoxOnTheWizardsThread(), Enabled({kNext}, false), Insert(L"multi", L"DISC2"), Answer(IDOK), Page(2),
        Text(kFinish, L"完了"), Visible({kBack, kNext}, false), Finish(),
        Files(folder, FixtureDisc(L"multi", L"DISC1"), kSingleFiles),
        Files(folder, FixtureDisc(L"multi", L"DISC2"),
              {L"data\\stage2.dat", L"data\\empty.dat", L"bgm\\テーマ曲.dat"}),
        RecordIs(L"multi", folder), Link(DesktopLink(L"multi"), folder + L"game.exe", folder),
        Link(MenuLink(L"multi"), folder + L"game.exe", folder), Installed(true),
        RunCopies(L"multi", 1), Close()});
}

TEST(WizardCopy, AFileUnlikeThePublishersIsNeverLeftInstalled) {
  const std::wstring folder = InstallFolder(L"single");
  const std::wstring stage1 = L"data\\stage1.dat";
  const BoxIs differs{
      stage1 + L"（DISC1）の内容が正しくありません。\nディスクを確認して、もう一度お試しください。",
      L"インストール",
      {IDRETRY, IDCANCEL}};
  // Same size, one byte changed: Cancel abandons as at the disc prompt,
  // with no record and no links.
  Play({Insert(L"single"), Flip(L"Q:\\" + stage1), OpenWizard(L"single"), Next(),
        Box(differs, IDCANCEL), Box(kQuitCopy, IDYES), SheetGone(), RecordIs(L"single", L""),
        Exists(DesktopLink(L"single"), false), Exists(folder + stage1, false),
        // Retry once the disc is mended completes.
        Click(IDC_INSTALL), Page(0), Next(), Box(differs, IDRETRY), Box(differs, kKeep),
        Exists(folder + stage1, false),
        CopyTo(FixtureDisc(L"single", L"DISC1") + L"\\" + stage1, L"Q:\\" + stage1),
        Answer(IDRETRY), Page(2), Finish(),
        Files(folder, FixtureDisc(L"single", L"DISC1"), kSingleFiles), RecordIs(L"single", folder),
        Close()});
}

TEST(WizardCopy, MissingDiscAbandonedLeavesEarlierFilesOnly) {
  const std::wstring folder = InstallFolder(L"multi");
  // What it leaves is listed in Apps & features and goes with Uninstall.
  Play({OpenWizard(L"multi"),
        Next(),
        Box(kDisc2, IDCANCEL),
        Box(kQuitCopy, IDYES),
        SheetGone(),
        Files(folder, FixtureDisc(L"multi", L"DISC1"), kSingleFiles),
        Listed(folder, {L"data\\stage1.dat", L"game.exe", L"readme.txt", L"uninstall\\setup",
                        L"uninstall\\setup.exe"}),
        RecordIs(L"multi", L""),
        RegKey(EntryKey(L"multi"), true),
        Exists(DesktopLink(L"multi"), false),
        Exists(MenuLink(L"multi"), false),
        Enabled({IDC_INSTALL, IDC_UNINSTALL}, true),
        Enabled({IDC_START_GAME}, false),
        Click(IDC_UNINSTALL),
        Box({}, IDYES),
        Box({}, IDOK),
        Listed(folder, {}),
        RegKey(EntryKey(L"multi"), false),
        Installed(false),
        Close()});
}

TEST(WizardCopy, AnAbandonedInstallationGoesOnInItsFolder) {
  const std::wstring folder = L"C:\\遊\\";
  Play({OpenWizard(L"multi"),
        Type(L"C:\\遊"),
        Next(),
        Box(kDisc2, IDCANCEL),
        Box(kQuitCopy, IDYES),
        SheetGone(),
        Enabled({IDC_START_GAME}, false),
        Click(IDC_INSTALL),
        Page(0),
        PageText(IDC_FOLDER_EDIT, L"C:\\遊"),
        Next(),
        Box(kDisc2, kKeep),
        Insert(L"multi", L"DISC2"),
        Answer(IDOK),
        Page(2),
        Finish(),
        Files(folder, FixtureDisc(L"multi", L"DISC1"), kSingleFiles),
        Files(folder, FixtureDisc(L"multi", L"DISC2"), {L"data\\stage2.dat", L"bgm\\テーマ曲.dat"}),
        RecordIs(L"multi", folder),
        Installed(true),
        Close()});
}

TEST(WizardDestination, TextsShortageCancelAndAFreshDefaultEachTime) {
  const std::wstring share = L"\\\\nosuchserver\\share\\games";
  // A folder that is not a full path is refused; the page stays. A drive
  // alone names the drive's current folder, not a folder.
  std::vector<Step> refused;
  for (const wchar_t* folder : {L"C:", L"", L"Games", L"\\Games", L"C:Games"}) {
    refused.push_back(Steps(
        {Type(folder), Next(),
         Box({L"インストール先のフォルダを指定してください。", L"インストール", {IDOK}}, IDOK),
         Page(0), PageText(IDC_FOLDER_EDIT, folder)}));
  }
  Play({OpenWizard(L"single"), PageText(IDC_FOLDER_EDIT, DefaultFolder(L"single")), Picture(true),
        Enabled({kBack}, false),
        PageText(IDC_SPACE_TEXT,
                 Required(L"single") + DefaultFolder(L"single").substr(0, 3) + L" の空き容量\t",
                 false),
        // Every change of the folder queries its own drive.
        Type(L"Z:\\Games\\X"), PageText(IDC_SPACE_TEXT, L"\nZ:\\ の空き容量\t", false),
        Steps(refused),
        // An unreachable share has 0 free: a warning, and No keeps the page.
        Type(share), PageText(IDC_SPACE_TEXT, Required(L"single") + share + L" の空き容量\t0KB"),
        Next(), Box(kShort, IDNO), Page(0), PageText(IDC_FOLDER_EDIT, share),
        // Cancel asks, No by default; No keeps the wizard, Yes closes it.
        Cancel(), Box(kQuit, IDNO), StaysOpen(), Cancel(), Box(kQuit, IDYES), SheetGone(),
        RecordIs(L"single", L""), Enabled({IDC_INSTALL}, true),
        // The next Install starts from the default folder again.
        Click(IDC_INSTALL), Page(0), PageText(IDC_FOLDER_EDIT, DefaultFolder(L"single")), Cancel(),
        Box(kQuit, IDYES), SheetGone(), Close()});
}

TEST(WizardDestination, WarnsAtOneByteShortButNotAtEquality) {
  // Wine's view of a Unix folder whose free space nobody changes: devtmpfs
  // holds no file data. Every file lies on the absent DISC2, so the copy
  // stops at its first question, before it writes anything there.
  const std::wstring stable = L"\\\\?\\unix\\dev";
  // No record can be written, so the copy ends before it writes anything
  // there (the host's /dev).
  for (const bool shortBy1 : {false, true}) {
    Play({Insert(L"spacebound"), LockMaker(L"spacebound"), ListFreeSpace(stable, shortBy1 ? 1 : 0),
          Start(L"Q:\\setup.exe", L"spacebound", L"Q:\\"), Click(IDC_INSTALL), Page(0),
          Type(stable), Next(),
          shortBy1 ? Box(kShort, IDYES) : Steps({}),  // Yes goes on, with no second question
          Box(kNoRecord, IDOK), SheetGone(), FreeUnchanged(),
          Exists(stable + L"\\uninstall", false), Close()});
  }
}

TEST(WizardFolder, ATypedFolderIsInstalledIntoAndRecordedPlain) {
  // Longer than a path as typed, short once its parts are resolved; parts
  // ending in a dot and a blank, as Windows drops them.
  std::wstring climbs = L"C:/acc-inst/";
  for (int i = 0; i < 45; ++i) climbs += L"zz\\..\\";
  for (const auto& [typed, plain] :
       {std::pair{climbs + L".\\点々", std::wstring(L"C:\\acc-inst\\点々\\")},
        {L"C:\\acc-inst\\中. \\末尾. ", L"C:\\acc-inst\\中\\末尾\\"}}) {
    Play({SetRecord(L"single", L""), OpenWizard(L"single"), Type(typed), Next(), Page(2), Finish(),
          Files(plain, FixtureDisc(L"single", L"DISC1"), kSingleFiles), RecordIs(L"single", plain),
          Link(DesktopLink(L"single"), plain + L"game.exe"), Installed(true), Close()});
  }
}

TEST(WizardFolder, AFolderTooLongForTheProductIsRefusedBeforeTheCopy) {
  // The longest folder is the uninstall copy's, <folder>\uninstall: 237
  // characters leave it within CreateDirectoryW's 247.
  const std::wstring fits = L"C:\\長い\\" + std::wstring(231, L'x'), tooLong = fits + L"y";
  Play({OpenWizard(L"single"), Type(tooLong + L"\\zz\\.."), Next(),
        Box({L"インストール先のフォルダが長すぎます。\n237文字以内のフォルダを指定してください。",
             L"インストール",
             {IDOK}},
            IDOK),
        Page(0), PageText(IDC_FOLDER_EDIT, tooLong), Exists(L"C:\\長い", false), Type(fits), Next(),
        Page(2), Finish(), Files(fits + L"\\", L"Q:\\", kSingleFiles),
        Exists(fits + L"\\uninstall\\setup.exe", true), RecordIs(L"single", fits + L"\\"),
        Installed(true), Close()});
}

TEST(WizardCopy, CancelDuringACopyAnsweredNoCompletesTheFile) {
  const std::wstring folder = InstallFolder(L"single");
  // Three presses once the large file is being written: one question. The
  // large readme is not the publisher's: a package without "filehash"
  // installs every file unchecked, as before.
  Play({Insert(L"single"), WriteLarge(L"Q:\\readme.txt"), Drop("filehash"), OpenWizard(L"single"),
        Next(), Exists(folder + L"readme.txt" + kPartialSuffix, true), Cancel(3),
        Box(kQuitCopy, kKeep), Enabled({kNext, kBack}, false), Answer(IDNO), Rises(), Page(2),
        NoBox(), Finish(), Files(folder, L"Q:\\", kSingleFiles), RecordIs(L"single", folder),
        Exists(DesktopLink(L"single"), true), Close()});
}

TEST(WizardCopy, CancelDuringACopyAnsweredYesKeepsOnlyEarlierFiles) {
  const std::wstring folder = InstallFolder(L"single");
  Play({Insert(L"single"), WriteLarge(L"Q:\\readme.txt"), Drop("filehash"), OpenWizard(L"single"),
        Next(), Exists(folder + L"readme.txt" + kPartialSuffix, true), Cancel(),
        Box(kQuitCopy, IDYES), SheetGone(), Exists(folder + L"readme.txt" + kPartialSuffix, false),
        Files(folder, L"Q:\\", {L"game.exe"}),  // before it: kept
        Exists(folder + L"readme.txt", false),  // partial: removed
        Exists(folder + L"data\\stage1.dat", false), Exists(L"Q:\\readme.txt", true),
        RecordIs(L"single", L""), Exists(DesktopLink(L"single"), false),
        Exists(MenuLink(L"single"), false), Enabled({IDC_INSTALL}, true), Close()});
}

TEST(WizardCopy, FailedCopyRetriedAndReadOnlyFileReplaced) {
  const std::wstring folder = InstallFolder(L"single");
  const BoxIs failed{L"readme.txtのコピーに失敗しました。", L"インストール", {IDRETRY, IDCANCEL}};
  // A folder where readme.txt should go fails its copy until it is removed;
  // an old read-only game.exe is simply replaced.
  Play({MakeFolder(folder + L"readme.txt"), Write(folder + L"game.exe", "old"),
        ReadOnly(folder + L"game.exe"), OpenWizard(L"single"), Next(), Box(failed, IDRETRY),
        Box(failed, kKeep), RemoveFolder(folder + L"readme.txt"), Answer(IDRETRY), Rises(), Page(2),
        Finish(), Files(folder, L"Q:\\", kSingleFiles),
        NotReadOnly(folder + L"game.exe"),
        Link(MenuLink(L"single", L"はじめにお読みください"), folder + L"readme.txt"), Close()});
}

TEST(WizardCopy, FailedCopyOntoItsOwnSourceKeepsTheSource) {
  // Installing onto the disc folder itself: each destination is its own
  // source. The copy fails before anything is written, so nothing is left
  // for a removal to take (it would take the disc's files).
  const std::wstring disc = L"C:\\星の旅人 ディスク\\";
  Play({CopyDisc(L"single", disc), Start(disc + L"setup.exe", L"single"), Click(IDC_INSTALL),
        Page(0), Type(disc), Next(),
        Box({L"game.exeのコピーに失敗しました。", L"インストール", {IDRETRY, IDCANCEL}}, IDCANCEL),
        Box(kQuitCopy, IDYES), SheetGone(),
        Files(disc, FixtureDisc(L"single", L"DISC1"), kSingleFiles), RecordIs(L"single", L""),
        Exists(disc + L"uninstall", false), RegKey(RecordKey(L"single"), false),
        Exists(DesktopLink(L"single"), false), Installed(false), Close()});
}

TEST(WizardCopy, ARecordThatCannotBeWrittenEndsTheInstallAsACancel) {
  // Found before anything is written: nothing is, and nothing says it is
  // installed.
  Play({LockMaker(L"single"), OpenWizard(L"single"), Next(), Box(kNoRecord, IDOK), SheetGone(),
        Exists(InstallFolder(L"single"), false), RecordIs(L"single", L""),
        RegKey(RecordKey(L"single"), false), RegKey(EntryKey(L"single"), false),
        Exists(DesktopLink(L"single"), false), Installed(false), Close()});
}

TEST(WizardCopy, NoFilesGoStraightToTheFinishPage) {
  Play({OpenWizard(L"nofiles"), PageText(IDC_SPACE_TEXT, L"必要な容量\t0KB\n", false), Next(),
        Page(2), NoBox(), Text(kFinish, L"完了"), Enabled({kFinish}, true), Finish(),
        RecordIs(L"nofiles", InstallFolder(L"nofiles")), Exists(DesktopLink(L"nofiles"), true),
        Close()});
}

}  // namespace
}  // namespace e2e
