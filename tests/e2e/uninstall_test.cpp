// Uninstall from the launcher: what goes, what stays, the question and the
// final message, and a second installation afterwards.
#include <gtest/gtest.h>

#include "Steps.h"

namespace e2e {
namespace {

const BoxIs kAsk{L"このアプリケーションを削除しますか？", L"アンインストール", {IDYES, IDNO}, IDNO};
const BoxIs kDone{L"アプリケーションを削除しました。", L"アンインストール", {IDOK}};
// What a copy of the fixture single's disc holds besides its listed files.
const std::vector<std::wstring> kNotListed{L"directx\\dxsetup.exe", L"setup"};

// Installs the two-disc sample product into the default folder from the
// open launcher.
Step InstallSample() {
  return Steps({Insert(L"sample"), Click(IDC_INSTALL), Page(0), Next(),
                Box({L"DISC2を挿入してください。"}, kKeep), Insert(L"sample", L"DISC2"),
                Answer(IDOK), Page(2), Finish(), Installed(true)});
}

TEST(Uninstall, RemovesTheInstallationKeepsForeignFilesAndAllowsASecondOne) {
  const std::wstring folder = DefaultFolder(L"sample") + L"\\",
                     foreign = MenuLink(L"sample", L"別の製品"), entry = EntryKey(L"sample");
  // The listed files, and the uninstall copy of the program and its package.
  const std::vector<std::wstring> files{
      L"bgm\\テーマ曲.dat", L"data\\stage1.dat", L"data\\stage2.dat",
      L"data\\表紙.bmp",    L"game.exe",         L"manual\\manual.html",
      L"readme.txt",        L"uninstall\\setup", L"uninstall\\setup.exe"};
  std::vector<std::wstring> withSave = files;
  withSave.insert(withSave.end() - 2, L"save\\slot1.sav");
  const Step unchanged = Steps({StaysOpen(), NoBox(), RecordIs(L"sample", folder),
                                Listed(folder, withSave), Exists(DesktopLink(L"sample"), true)});
  // Links of an earlier version, in the running account's own folders.
  const std::wstring ownDesktop = DesktopLink(L"sample", LinkOwner::kRunningUser),
                     ownMenu = MenuLink(L"sample", {}, LinkOwner::kRunningUser);
  Play({Insert(L"sample"), Start(L"Q:\\setup.exe", L"sample"), InstallSample(),
        Exists(ownDesktop, false), Exists(ownMenu, false), Write(ownDesktop, "earlier"),
        Write(ownMenu, "earlier"),
        Listed(folder, files), Bytes(folder + L"uninstall\\setup.exe", SetupProgram()),
        RegValue(entry, L"UninstallString", L"\"" + folder + L"uninstall\\setup.exe\" /uninstall"),
        Link(MenuLink(L"sample", L"マニュアル"), folder + L"manual\\manual.html",
             folder + L"manual"),
        Write(folder + L"save\\slot1.sav", "made by the game"), Write(foreign, "not ours"),
        // No, and Enter at once (No is the default), change nothing.
        Click(IDC_UNINSTALL), Box(kAsk, IDNO), unchanged, Click(IDC_UNINSTALL), Box(kAsk, kKeep),
        Key(VK_RETURN), unchanged, Click(IDC_UNINSTALL), Box(kAsk, IDYES), Box(kDone, kKeep),
        // The listed files and the folders they emptied go; what the game made stays.
        Listed(folder, {L"save\\slot1.sav"}), Exists(folder + L"data", false),
        Exists(folder + L"bgm", false), Exists(folder + L"manual", false),
        Exists(DesktopLink(L"sample"), false), Exists(MenuLink(L"sample"), false),
        Exists(MenuLink(L"sample", L"はじめにお読みください"), false),
        Exists(MenuLink(L"sample", L"マニュアル"), false), Exists(foreign, true),
        Exists(ownDesktop, false), Exists(ownMenu, false),
        RegKey(RecordKey(L"sample"), false),
        RegKey(*text::ParentFolderOf(RecordKey(L"sample")), true),  // the maker's
        RegKey(entry, false), Exists(folder + L"uninstall", false), Answer(IDOK), Installed(false),
        InstallSample(), RecordIs(L"sample", folder), Listed(folder, withSave),
        Exists(DesktopLink(L"sample"), true), Close()});
}

TEST(Uninstall, FinalMessageComesEvenWhenNothingCouldBeDeleted) {
  // A record whose folder holds none of the files, and no links at all.
  const std::wstring folder = WorkDir() + L"\\empty-install\\";
  Play({Insert(L"single"), MakeFolder(folder), SetRecord(L"single", folder),
        Start(L"Q:\\setup.exe", L"single"), Installed(true), Click(IDC_UNINSTALL), Box(kAsk, IDYES),
        Box(kDone, IDOK), Installed(false), Exists(folder, true), Exists(L"Q:\\game.exe", true),
        Close()});  // nothing is deleted relative to the source folder
}

TEST(Uninstall, AFileInUseStaysWithTheRecordAndCanBeRemovedLater) {
  const std::wstring folder = WorkDir() + L"\\installed\\";
  const BoxIs left{L"削除できなかったファイルが1個あります。\n" + folder +
                       L"readme.txt\nゲームを終了してから、もう一度アンインストールしてください。",
                   L"アンインストール"};
  // The game runs: its readme is open and cannot be deleted.
  Play({CopyDisc(L"single", folder, false), SetRecord(L"single", folder), Insert(L"single"),
        Start(L"Q:\\setup.exe", L"single"), Hold(folder + L"readme.txt"), Click(IDC_UNINSTALL),
        Box(kAsk, IDYES), Box(left, IDOK), Exists(folder + L"readme.txt", true),
        Exists(folder + L"game.exe", false), Exists(folder + L"data", false),
        RecordIs(L"single", folder), Installed(true),
        // The game has ended: the removal is tried again and completes.
        Release(), Click(IDC_UNINSTALL), Box(kAsk, IDYES), Box(kDone, IDOK),
        Exists(folder + L"readme.txt", false), RegKey(RecordKey(L"single"), false),
        Installed(false), Close()});
}

TEST(Uninstall, AHandWrittenRecordNamesItsFolderAndReadOnlyFilesGo) {
  // "...\installed" + "game.exe" must not name the neighbour "...\installedgame.exe";
  // ".." parts make the record, and every path in it, longer than MAX_PATH.
  const std::wstring folder = WorkDir() + L"\\installed";
  std::wstring detour;
  for (int i = 0; i < 50; ++i) detour += L"\\zz\\..";
  Play({CopyDisc(L"single", folder, false), Write(folder + L"game.exe", "a neighbour's"),
        ReadOnly(folder + L"\\readme.txt"),
        SetRecord(L"single", WorkDir() + detour + L"\\installed"), Insert(L"single"),
        Start(L"Q:\\setup.exe", L"single"), Click(IDC_UNINSTALL), Box(kAsk, IDYES),
        Box(kDone, IDOK), Listed(folder, kNotListed), Exists(folder + L"game.exe", true),
        RegKey(RecordKey(L"single"), false), Installed(false), Close()});
}

TEST(Uninstall, ARecordKeyThatHoldsOtherKeysStaysAndIsTold) {
  const std::wstring folder = WorkDir() + L"\\installed\\";
  const BoxIs keyLeft{
      L"アプリケーションを削除しましたが、次のレジストリキーは削除できませんでした。\n"
      L"HKEY_LOCAL_MACHINE\\" +
          RecordKey(L"single"),
      L"アンインストール",
      {IDOK}};
  Play({CopyDisc(L"single", folder, false), SetRecord(L"single", folder),
        RegString(RecordKey(L"single") + L"\\追加データ", L"path", folder), Insert(L"single"),
        Start(L"Q:\\setup.exe", L"single"), Click(IDC_UNINSTALL), Box(kAsk, IDYES),
        Box(keyLeft, IDOK), Listed(folder, kNotListed), RecordIs(L"single", L""),
        RegKey(RecordKey(L"single"), true), Installed(false), Close()});
}

}  // namespace
}  // namespace e2e
