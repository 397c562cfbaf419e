// setup.exe /repair [/S]: the check against the package, the restore of
// what differs, from the disc, the entry's Modify and the launcher's Start.
#include <gtest/gtest.h>

#include "Steps.h"

namespace e2e {
namespace {

const std::vector<std::wstring> kDisc1{L"data\\stage1.dat", L"data\\表紙.bmp", L"game.exe",
                                       L"manual\\manual.html", L"readme.txt"};
const std::vector<std::wstring> kDisc2{L"bgm\\テーマ曲.dat", L"data\\stage2.dat"};
const BoxIs kDisc2Box{L"DISC2を挿入してください。", L"インストール", {IDOK, IDCANCEL}};
const BoxIs kIntact{L"インストールされているファイルに問題はありません。", L"修復", {IDOK}};
BoxIs Damaged(int count) {
  return {L"壊れているか見つからないファイルが" + std::to_wstring(count) +
              L"個あります。\nディスクから復元しますか？",
          L"修復",
          {IDYES, IDNO}};
}
BoxIs Restored(int count) {
  return {std::to_wstring(count) + L"個のファイルを復元しました。", L"修復", {IDOK}};
}

std::wstring Set() { return WorkDir() + L"\\set"; }
std::wstring Program() { return Set() + L"\\DISC1\\setup.exe"; }
std::wstring Folder(const std::wstring& fixture) { return DefaultFolder(fixture) + L"\\"; }
std::wstring Save() { return WorkDir() + L"\\save.dat"; }

// The sample installed from a set beside the disc drive.
Step Installed() {
  return Steps({CopySet(L"sample", Set(), {L"DISC1", L"DISC2"}), Silent(Program(), L"/S", 0)});
}
// Every listed file as on the set: bytes and times.
Step Intact() {
  return Steps({Files(Folder(L"sample"), Set() + L"\\DISC1", kDisc1),
                Files(Folder(L"sample"), Set() + L"\\DISC2", kDisc2)});
}

TEST(Repair, RestoresExactlyWhatDiffersAskingForTheSecondDisc) {
  const std::wstring folder = Folder(L"sample");
  // One byte changed (DISC2), one file deleted, one truncated, the desktop
  // link deleted; a save file the package does not list stays.
  Play({Installed(), Flip(folder + L"data\\stage2.dat"), Delete(folder + L"readme.txt"),
        Write(folder + L"data\\stage1.dat", "short"), Delete(DesktopLink(L"sample")),
        Write(Save(), "セーブ"), Write(folder + L"save.dat", "セーブ"), Insert(L"sample"),
        Spawn(L"Q:\\setup.exe", L"/repair"), Box(Damaged(3), IDYES), Page(0),
        Box(kDisc2Box, kKeep), Insert(L"sample", L"DISC2"), Answer(IDOK), Page(1), Finish(),
        Box(Restored(3), IDOK), Exited(0), Intact(), Bytes(folder + L"save.dat", Save()),
        Link(DesktopLink(L"sample"), folder + L"game.exe"), RecordIs(L"sample", folder),
        // The launcher then starts the game.
        Insert(L"sample"), Start(L"Q:\\setup.exe", L"sample"), Click(IDC_START_GAME),
        Marker(folder + L"game_ran.txt"), Close()});
}

TEST(Repair, AnIntactInstallationIsToldAndNothingIsWritten) {
  Play({Installed(), Silent(Program(), L"/repair /S", 0),
        LogHas(L"sample", L"intact: every listed file is as the package says"),
        LogHas(L"sample", L"done with exit code 0"), Spawn(Program(), L"/repair"),
        Box(kIntact, IDOK), Exited(0), Intact()});
}

TEST(Repair, TheEntrysModifyFindsTheSetAtItsInstallSource) {
  const std::wstring folder = Folder(L"sample"), copy = folder + L"uninstall\\setup.exe";
  const std::wstring entry = EntryKey(L"sample");
  Play({Installed(), RegValue(entry, L"ModifyPath", L"\"" + copy + L"\" /repair"),
        RegValue(entry, L"NoModify", L"0"), RegValue(entry, L"InstallSource", Set() + L"\\DISC1\\"),
        Delete(folder + L"game.exe"), Spawn(copy, L"/repair"), Box(Damaged(1), IDYES), Page(1),
        Finish(), Box(Restored(1), IDOK), Exited(0), Intact(), Exists(copy, true),
        // Unattended from the entry, the same.
        Flip(folder + L"data\\stage2.dat"), Silent(copy, L"/repair /S", 0),
        LogHas(L"sample", L"copied data\\stage2.dat from " + Set() + L"\\DISC2\\"),
        LogHas(L"sample", L"done with exit code 0"), Intact()});
}

TEST(Repair, UnattendedRestoresWhatItFindsAndNamesTheMissingDisc) {
  const std::wstring folder = Folder(L"sample");
  Play({Installed(), Delete(Set() + L"\\DISC2\\data\\stage2.dat"),
        Delete(folder + L"data\\stage2.dat"),
        Delete(folder + L"game.exe"), Silent(Program(), L"/repair /S", 3),
        LogHas(L"sample", L"failed with exit code 3: the files of disc DISC2 were not found"),
        Files(folder, Set() + L"\\DISC1", kDisc1), Exists(folder + L"data\\stage2.dat", false),
        Silent(Program(), L"/repair /S /X", 2),
        LogHas(L"sample", L"failed with exit code 2: unknown switch /X")});
}

TEST(Repair, NotInstalledGivesFour) {
  Play({CopySet(L"sample", Set(), {L"DISC1", L"DISC2"}), Silent(Program(), L"/repair /S", 4),
        LogHas(L"sample", L"failed with exit code 4: not installed"),
        Spawn(Program(), L"/repair"),
        Box({L"このアプリケーションはインストールされていません。", L"修復", {IDOK}}, IDOK),
        Exited(4)});
}

TEST(Repair, CancelDuringARestoreLeavesNoPartialFile) {
  const std::wstring folder = Folder(L"single");
  // A package without "filehash" is checked by presence and size.
  Play({Insert(L"single"), WriteLarge(L"Q:\\readme.txt"), Drop("filehash"),
        Silent(L"Q:\\setup.exe", L"/S", 0), Silent(L"Q:\\setup.exe", L"/repair /S", 0),
        Delete(folder + L"readme.txt"), Spawn(L"Q:\\setup.exe", L"/repair"), Box(Damaged(1), IDYES),
        Page(0), Exists(folder + L"readme.txt" + kPartialSuffix, true), Cancel(),
        Box({L"インストールを中断しますか？", L"インストール", {IDYES, IDNO}}, IDYES), SheetGone(),
        Exited(1), Exists(folder + L"readme.txt", false),
        Exists(folder + L"readme.txt" + kPartialSuffix, false)});
}

TEST(Repair, StartWithTheGameDeletedOffersTheRepair) {
  const std::wstring folder = Folder(L"single");
  Play({Insert(L"single"), Silent(L"Q:\\setup.exe", L"/S", 0), Delete(folder + L"game.exe"),
        Start(L"Q:\\setup.exe", L"single"), Click(IDC_START_GAME),
        Box({L"ゲームのプログラムが見つかりません。\nディスクから修復しますか？", L"修復",
             {IDYES, IDNO}},
            IDYES),
        Box(Damaged(1), IDYES), Page(1), Finish(), Box(Restored(1), IDOK),
        Files(folder, L"Q:\\", {L"game.exe"}), Click(IDC_START_GAME),
        Marker(folder + L"game_ran.txt"), Close(),
        // A record that names no full folder is no installation to repair:
        // no offer, and nothing is written beside the disc's program.
        SetRecord(L"single", L"game"), Start(L"Q:\\setup.exe", L"single"), Click(IDC_START_GAME),
        NoBox(), Close(), Silent(L"Q:\\setup.exe", L"/repair /S", 4),
        LogHas(L"single", L"failed with exit code 4: not installed"), Exists(L"Q:\\game", false)});
}

TEST(Repair, TheEntrysModifyFindsTheDiscInsertedAfterItStarted) {
  const std::wstring folder = Folder(L"twin1"), copy = folder + L"uninstall\\setup.exe";
  const std::wstring tray = WorkDir() + L"\\tray\\disc", disc = FixtureDisc(L"twin1", L"DISC1");
  // Installed from the drive, which is empty when Modify starts.
  Play({Insert(L"twin1"), Silent(L"Q:\\setup.exe", L"/S", 0), Delete(folder + L"game.exe"),
        RemoveFolder(tray), Spawn(copy, L"/repair"), Box(Damaged(1), IDYES), Page(0),
        Box({L"DISC1を挿入してください。", L"インストール", {IDOK, IDCANCEL}}, kKeep),
        CopyTo(disc + L"\\game.exe", tray + L"\\game.exe"), Answer(IDOK), Page(1), Finish(),
        Box(Restored(1), IDOK), Exited(0), Files(folder, disc, {L"game.exe"})});
}

TEST(Repair, ADiscOfAnotherVersionChangesNothingAndEveryRemovalIsWhole) {
  // "single" and "sample" are two versions of one product: sample lists more.
  const std::wstring folder = Folder(L"single"), copy = folder + L"uninstall\\setup.exe";
  const BoxIs other{L"このディスクは、インストールされているものとは別のバージョンです。\n"
                    L"インストールされているディスクで修復してください。",
                    L"修復", {IDOK}};
  Play({Insert(L"single"), Silent(L"Q:\\setup.exe", L"/S", 0), Delete(folder + L"game.exe"),
        CopySet(L"sample", Set(), {L"DISC1", L"DISC2"}), Silent(Program(), L"/repair /S", 1),
        LogHas(L"single", L"failed with exit code 1: the disc holds another version"),
        Exists(folder + L"game.exe", false), Exists(folder + L"bgm", false),
        Spawn(Program(), L"/repair"), Box(other, IDOK), Exited(1),
        // Without its own uninstall copy, the installation takes the disc's.
        Delete(copy), Delete(folder + L"uninstall\\setup"), Silent(Program(), L"/repair /S", 0),
        Bytes(folder + L"uninstall\\setup", Set() + L"\\DISC1\\setup"), Intact(),
        Silent(copy, L"/uninstall /S", 0), Listed(folder, {})});
}

}  // namespace
}  // namespace e2e
