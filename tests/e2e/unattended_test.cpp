// setup.exe /S [/D=folder], /uninstall [/S]: no window, exit codes, the log,
// the uninstall copy and the Apps & features entry.
#include <gtest/gtest.h>

#include <algorithm>

#include "Steps.h"

namespace e2e {
namespace {

const std::vector<std::wstring> kDisc1{L"data\\stage1.dat", L"data\\表紙.bmp", L"game.exe",
                                       L"manual\\manual.html", L"readme.txt"};
const std::vector<std::wstring> kDisc2{L"bgm\\テーマ曲.dat", L"data\\stage2.dat"};
const BoxIs kAsk{L"このアプリケーションを削除しますか？", L"アンインストール", {IDYES, IDNO}, IDNO};

std::wstring Set() { return WorkDir() + L"\\set"; }
std::wstring Program() { return Set() + L"\\DISC1\\setup.exe"; }

TEST(Unattended, InstallsWithBlanksInTheFolderOnceAndRemovesThroughTheEntry) {
  const std::wstring folder = L"C:\\Games\\My Games\\星の 旅人\\";
  const std::wstring copy = folder + L"uninstall\\setup.exe";
  std::vector<std::wstring> installed = kDisc2;
  installed.insert(installed.end(), kDisc1.begin(), kDisc1.end());
  installed.insert(installed.end(), {L"uninstall\\setup", L"uninstall\\setup.exe"});
  std::sort(installed.begin(), installed.end());
  const SetupInfo& sample = Product(L"sample");
  const std::wstring entry = EntryKey(L"sample");
  Play({CopySet(L"sample", Set(), {L"DISC1", L"DISC2"}),
        // "." and ".." parts go: the plain folder is installed into and recorded.
        Silent(Program(), L"/S /D=C:\\Games\\zz\\..\\My Games\\.\\星の 旅人", 0),
        Listed(folder, installed), Files(folder, Set() + L"\\DISC1", kDisc1),
        Files(folder, Set() + L"\\DISC2", kDisc2), Bytes(copy, Program()),
        Bytes(folder + L"uninstall\\setup", Set() + L"\\DISC1\\setup"), RecordIs(L"sample", folder),
        Link(DesktopLink(L"sample"), folder + L"game.exe"),
        Link(MenuLink(L"sample", L"マニュアル"), folder + L"manual\\manual.html"),
        RegValue(entry, L"DisplayName", sample.title),
        RegValue(entry, L"Publisher", sample.company), RegValue(entry, L"InstallLocation", folder),
        RegValue(entry, L"DisplayIcon", folder + L"game.exe"),
        RegValue(entry, L"UninstallString", L"\"" + copy + L"\" /uninstall"),
        RegValue(entry, L"QuietUninstallString", L"\"" + copy + L"\" /uninstall /S"),
        RegValue(entry, L"EstimatedSize", std::to_wstring(ListedBytes(L"sample") >> 10)),
        RegValue(entry, L"NoModify", L"0"), RegValue(entry, L"NoRepair", L"1"),
        RegValue(entry, L"ModifyPath", L"\"" + copy + L"\" /repair"),
        RegValue(entry, L"InstallSource", Set() + L"\\DISC1\\"),
        LogHas(L"sample", L"copied bgm\\テーマ曲.dat from "),
        LogHas(L"sample", L"done with exit code 0"),
        // Once installed, there is nothing to do.
        Silent(Program(), L"/S", 4),
        LogHas(L"sample", L"failed with exit code 4: already installed"),
        // Two commands at once are refused, with a log or with a message.
        Silent(Program(), L"/S /install /uninstall", 2),
        LogHas(L"sample", L"failed with exit code 2: /install does not go with /uninstall"),
        Silent(Program(), L"/S /repair /install", 2), Silent(Program(), L"/uninstall /S /repair", 2),
        Spawn(Program(), L"/uninstall /install"),
        Box({L"/install、/uninstall、/repair は一度に一つだけ指定できます。", L"セットアップ", {IDOK}},
            IDOK),
        Exited(2), RecordIs(L"sample", folder), Listed(folder, installed),
        // The entry's quiet command removes everything, its own copy too.
        Silent(copy, L"/uninstall /S", 0), Listed(folder, {}), Exists(folder + L"uninstall", false),
        RegKey(EntryKey(L"sample"), false), RegKey(RecordKey(L"sample"), false),
        Exists(DesktopLink(L"sample"), false), Exists(MenuLink(L"sample"), false),
        LogHas(L"sample", L"done with exit code 0"), Silent(Program(), L"/uninstall /S", 4)});
}

TEST(Unattended, ProductsInOneFolderKeepTheirOwnUninstallCopy) {
  const std::wstring folder = L"C:\\Shared Games\\", copy = folder + L"uninstall\\setup.exe";
  const std::wstring other = WorkDir() + L"\\other\\DISC1\\setup.exe";
  const std::wstring entry = EntryKey(L"sample");
  Play({CopySet(L"sample", Set(), {L"DISC1", L"DISC2"}),
        // One pair of quotes around the folder goes.
        Silent(Program(), L"/S /D=\"C:\\Shared Games\"", 0), RecordIs(L"sample", folder),
        // The second product leaves the first one's copy and entry alone and gets none.
        CopySet(L"subfolders", WorkDir() + L"\\other", {L"DISC1"}),
        Silent(other, L"/S /D=C:\\Shared Games", 0), RecordIs(L"subfolders", folder),
        LogHas(L"subfolders", L"holds another product's uninstall copy; it stays"),
        RegKey(EntryKey(L"subfolders"), false),
        // Its removal (as by an older version, without a copy of its own) keeps them too.
        Silent(other, L"/uninstall /S", 0), Exists(folder + L"bin", false), Bytes(copy, Program()),
        Bytes(folder + L"uninstall\\setup", Set() + L"\\DISC1\\setup"),
        RegValue(entry, L"UninstallString", L"\"" + copy + L"\" /uninstall"),
        // The set's setup.exe started on the copy's folder removes, and is not the temporary
        // copy: no rename at restart. A key below the entry keeps it: told, exit code 1.
        RegString(entry + L"\\追加データ", L"path", folder),
        Silent(Program(), L"\"" + folder + L"uninstall\" /uninstall /S", 1),
        LogHas(L"sample",
               L"failed with exit code 1: the Apps & features entry HKEY_LOCAL_MACHINE\\" + entry),
        Listed(folder, {}), Exists(folder + L"uninstall", false), RecordIs(L"sample", L""),
        Exists(Program(), true),
        RegValue(L"System\\CurrentControlSet\\Control\\Session Manager",
                 L"PendingFileRenameOperations", L"")});
}

TEST(Unattended, AMissingDiscIsToldAndWhatWasCopiedStays) {
  const std::wstring folder = DefaultFolder(L"sample") + L"\\";
  Play({CopySet(L"sample", Set(), {L"DISC1"}), Silent(Program(), L"/S", 3),
        LogHas(L"sample", L"failed with exit code 3: the files of disc DISC2 were not found"),
        Files(folder, Set() + L"\\DISC1", kDisc1), Exists(folder + L"data\\stage2.dat", false),
        RecordIs(L"sample", L""), Exists(DesktopLink(L"sample"), false),
        // Listed all the same, and removed whole; Install goes on with it, not
        // the repair.
        RegKey(EntryKey(L"sample"), true), Silent(Program(), L"/repair /S", 4),
        Silent(Program(), L"/uninstall /S", 0), Listed(folder, {}),
        RegKey(EntryKey(L"sample"), false), RegKey(RecordKey(L"sample"), false)});
}

TEST(Unattended, UsageErrorsChangeNothing) {
  const std::wstring folder = DefaultFolder(L"sample");
  Play({CopySet(L"sample", Set(), {L"DISC1", L"DISC2"}), Silent(Program(), L"/S /X", 2),
        LogHas(L"sample", L"failed with exit code 2: unknown switch /X"),
        Silent(Program(), L"/S /D=Games\\星の旅人", 2),
        LogHas(L"sample", L"failed with exit code 2: /D= needs a full folder path"),
        Silent(Program(), L"/uninstall /S /D=C:\\x", 2),
        // A drive alone names its current folder, not a folder.
        Silent(Program(), L"/S /D=C:", 2),
        LogHas(L"sample", L"failed with exit code 2: /D= needs a full folder path, not \"C:\""),
        Exists(L"C:\\game.exe", false), Exists(L"C:\\uninstall", false),
        Silent(Program(), L"/S /D=C:\\" + std::wstring(235, L'x'), 2),
        LogHas(L"sample", L" is too long: this product's files allow at most 237 characters"),
        Exists(L"C:\\" + std::wstring(235, L'x'), false), Exists(folder, false),
        RecordIs(L"sample", L""), RegKey(EntryKey(L"sample"), false)});
}

TEST(Unattended, ALongTitleInstallsAndRemovesWithItsLog) {
  const std::wstring folder = L"C:\\長\\";
  Play({CopySet(L"longtitle", Set(), {L"DISC1", L"DISC2"}), Silent(Program(), L"/S /D=C:\\長", 0),
        LogHas(L"longtitle", L"copied data\\stage2.dat from "),
        LogHas(L"longtitle", L"done with exit code 0"), RecordIs(L"longtitle", folder),
        // The removal runs from a temporary copy of the same shortened name.
        Silent(folder + L"uninstall\\setup.exe", L"/uninstall /S", 0),
        LogHas(L"longtitle", L"removed " + folder + L"game.exe"),
        LogHas(L"longtitle", L"done with exit code 0"), Listed(folder, {}),
        RecordIs(L"longtitle", L"")});
}

TEST(Unattended, TwinProductsKeepTheirOwnEntries) {
  // Maker "甲 乙" with title "丙", and maker "甲" with title "乙 丙".
  const std::wstring entries = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const std::wstring first = entries + L"甲 乙 丙", second = entries + L"甲 乙 丙 (2)";
  const std::wstring a = WorkDir() + L"\\a\\DISC1\\setup.exe",
                     b = WorkDir() + L"\\b\\DISC1\\setup.exe";
  const std::wstring aCopy = L"C:\\甲乙\\uninstall\\setup.exe",
                     bCopy = L"C:\\甲\\uninstall\\setup.exe";
  Play({CopySet(L"twin1", WorkDir() + L"\\a", {L"DISC1"}),
        CopySet(L"twin2", WorkDir() + L"\\b", {L"DISC1"}), Silent(a, L"/S /D=C:\\甲乙", 0),
        // The first as an older version recorded it, without its entry's name.
        SetRecord(L"twin1", L"C:\\甲乙\\"), Silent(b, L"/S /D=C:\\甲", 0),
        LogHas(L"twin2", L"Apps & features entry HKEY_LOCAL_MACHINE\\" + second),
        RegValue(first, L"Publisher", L"甲 乙"), RegValue(first, L"DisplayName", L"丙"),
        RegValue(second, L"Publisher", L"甲"), RegValue(second, L"DisplayName", L"乙 丙"),
        RegValue(second, L"UninstallString", L"\"" + bCopy + L"\" /uninstall"),
        RegValue(L"SOFTWARE\\甲\\乙 丙", L"entry", L"甲 乙 丙 (2)"),
        // Removing the first leaves the second's entry, and the other way round.
        Silent(aCopy, L"/uninstall /S", 0), RegKey(first, false),
        RegValue(second, L"Publisher", L"甲"), Silent(a, L"/S /D=C:\\甲乙", 0),
        RegValue(first, L"Publisher", L"甲 乙"), Silent(bCopy, L"/uninstall /S", 0),
        RegKey(second, false), RegValue(first, L"Publisher", L"甲 乙"),
        Exists(L"C:\\甲\\game.exe", false), Exists(L"C:\\甲乙\\game.exe", true),
        Silent(aCopy, L"/uninstall /S", 0), RegKey(first, false)});
}

TEST(Unattended, TheEntryAsksFromATemporaryCopyAndItsRemovalNeverEndsOnAnotherRunsLog) {
  const std::wstring folder = DefaultFolder(L"sample") + L"\\";
  const std::wstring copy = folder + L"uninstall\\setup.exe",
                     package = folder + L"uninstall\\setup";
  const std::wstring temp = TempFolder().substr(0, TempFolder().size() - 1);
  const BoxIs done{L"アプリケーションを削除しました。", L"アンインストール", {IDOK}};
  Play({CopySet(L"sample", Set(), {L"DISC1", L"DISC2"}), Silent(Program(), L"/S", 0),
        // No changes nothing; the question comes from the copy in the temporary folder.
        Spawn(copy, L"/uninstall"), Box(kAsk, kKeep), RunCopies(L"sample", 1), Answer(IDNO),
        Exited(1), RunCopies(L"sample", 0), RecordIs(L"sample", folder), Exists(copy, true),
        Spawn(copy, L"/uninstall"),
        Box(kAsk, IDYES), Box(done, IDOK), Exited(0), Exists(folder + L"uninstall", false),
        RegKey(EntryKey(L"sample"), false), RecordIs(L"sample", L""), Silent(Program(), L"/S", 0),
        // Without its package the copy knows its product from its entry.
        Delete(package), Silent(copy, L"/uninstall /S", 1),
        LogHas(L"sample", L"failed with exit code 1: the package " + package + L" is missing"),
        CopyTo(Set() + L"\\DISC1\\setup", package),
        // Without a log that could be written, nothing is done.
        Delete(TempFolder() + LogFileName(TempFolder(), Product(L"sample").title)),
        RemoveFolder(temp), Write(temp, "a file where the temporary folder was"),
        Silent(copy, L"/uninstall /S", 1), RecordIs(L"sample", folder), Exists(copy, true),
        // A missing temporary folder is made again: the copy goes as usual.
        Delete(temp), Silent(copy, L"/uninstall /S", 0),
        LogHas(L"sample", L"done with exit code 0"), Listed(folder, {}),
        Exists(folder + L"uninstall", false), RecordIs(L"sample", L""),
        RegKey(EntryKey(L"sample"), false)});
}

}  // namespace
}  // namespace e2e
