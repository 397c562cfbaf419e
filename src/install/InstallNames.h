// The names an installation gives its pieces: the package file, the install
// record's key and value, the Apps & features entry's key, the uninstall
// copy, the product's folder, the temporary copy and the unattended log.
// Text only, so that the native tests check them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SetupInfo;

// The longest path the file functions take without the long-path form
// (MAX_PATH), without the terminating zero: the product's files, the
// uninstall copy and the temporary copy and log all stay within it.
inline constexpr std::size_t kMaxPathChars = 259;

// The package beside the program, on the disc and in the uninstall copy.
inline constexpr wchar_t kPackageFileName[] = L"setup";

// The install record: this value, the install folder ending in a
// backslash, under HKEY_LOCAL_MACHINE\InstallRecordKeyPath.
inline constexpr wchar_t kInstallRecordValue[] = L"path";
// Beside it, the name of the product's Apps & features entry key
// (UninstallEntryKeyName). A record without it (an older installation)
// means the entry's first name.
inline constexpr wchar_t kEntryKeyValue[] = L"entry";
// Beside it, while an installation has not ended complete: its folder. One
// value, written in one step, so a run ended at any instant leaves it either
// there or not, never torn; "path" is written only once all is in place.
inline constexpr wchar_t kIncompleteValue[] = L"incomplete";
// A file's copy is written under its name with this added, in its folder,
// and renamed once whole and given the disc's time: a file under its own
// name is never cut short.
inline constexpr wchar_t kPartialSuffix[] = L".partial";

// The copy of the program and its package that removes the product without
// the disc: <install folder>\uninstall\setup.exe and ...\setup.
inline constexpr wchar_t kUninstallFolder[] = L"uninstall\\";
inline constexpr wchar_t kUninstallProgram[] = L"uninstall\\setup.exe";
inline constexpr wchar_t kUninstallPackage[] = L"uninstall\\setup";

// L"SOFTWARE\\" + company + L"\\" + title; empty when company or title is
// empty, because the path would then name the maker's key (or SOFTWARE
// itself) and a removal would delete it. No record is kept for such a
// product.
std::wstring InstallRecordKeyPath(const SetupInfo& info);

// The key names the product's entry in the system's list of installed
// programs (Apps & features) may have: company + L" " + title for number 1,
// with L" (<number>)" added for 2 and up, taken when the first names
// already hold other products' entries ("A B" + "C" and "A" + "B C" both
// give "A B C"). Empty when company or title is empty, like the record's.
std::wstring UninstallEntryKeyName(const SetupInfo& info, int number = 1);

// The system's list of installed programs (Apps & features), under
// HKEY_LOCAL_MACHINE: a key for each entry.
inline constexpr wchar_t kUninstallEntriesKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// kUninstallEntriesKey + L"\\" + keyName; empty when keyName is empty or
// holds a backslash (it would name the Uninstall key itself or a key below
// another).
std::wstring UninstallEntryKeyPath(const std::wstring& keyName);

// parent (with a backslash added when it lacks one) + company + "\" + title,
// with no trailing backslash: where the product goes below a folder.
std::wstring ProductFolderIn(const std::wstring& parent, const SetupInfo& info);

// The name of the program's copy in tempFolder, and of the unattended run's
// log beside it: "setup_" + title + ".exe" and ".log". Where that name would
// make the path (tempFolder, with a backslash added when it lacks one, and
// the name) longer than 259 characters, or the name longer than 255
// characters or 255 bytes in UTF-8 (what Wine's Unix file systems keep),
// the title is cut: "setup_" + as much of the title as fits + "~" + 8
// hexadecimal digits of the whole title's hash (XXH128 of its UTF-8 bytes,
// as xxhsum -H2 prints it) + the extension, so that the name stays the same
// for the same title and folder and titles that share their beginning keep
// apart. Empty when not even "setup_~<hash>.exe" fits.
std::wstring TempProgramName(const std::wstring& tempFolder, const std::wstring& title);
std::wstring LogFileName(const std::wstring& tempFolder, const std::wstring& title);
// Whether name is one TempProgramName gives: "setup_" ... ".exe".
bool IsTempProgramName(std::wstring_view name);

// The folder of its own that a copy of the program runs from, one a run:
// kRunFolderStem + number as 8 lowercase hexadecimal digits. IsRunFolderName
// takes exactly that form, so that nothing else in the temporary folder is
// ever taken for one.
inline constexpr wchar_t kRunFolderStem[] = L"setup-run-";
std::wstring RunFolderName(std::uint32_t number);
bool IsRunFolderName(std::wstring_view name);

// True when a package's bytes (none: the file could not be read) name
// info's title and maker: the uninstall copy beside it is this product's.
// False for another product's package and for bytes that are no package:
// products installed into one folder share the copy's place, and another's
// copy is never replaced or deleted.
[[nodiscard]] bool IsPackageOf(const std::optional<std::vector<char>>& bytes,
                               const SetupInfo& info);
