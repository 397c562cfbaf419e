// The uninstall copy (the program and its package in <install
// folder>\uninstall\) and the Apps & features entry that starts it: what
// lets a player remove the product without the disc.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct SetupInfo;

// A package file's bytes, read whole; none when it cannot be read or is
// larger than any package the publisher's tool makes (its members lie below
// 2 GiB; pictures and a table take far less).
std::optional<std::vector<char>> ReadPackageFile(const std::wstring& path);

// Whose uninstall copy folder (an install folder) holds, by its package. Another
// product's stays its own: replaced, its entry would remove this product
// and it could never be removed itself.
enum class CopyOwner { kNone, kThisProduct, kOtherProduct };
CopyOwner UninstallCopyOwner(const SetupInfo& info, const std::wstring& folder);

// Copies the running program and info.packageBytes into the uninstall
// folder of dir (an install folder). False when either could not be written.
[[nodiscard]] bool WriteUninstallCopy(const SetupInfo& info, const std::wstring& dir);

// Writes the entry of the product installed in dir, installedBytes giving its size and sourceFolder the
// folder a repair looks for the disc in first, under the first of
// info's entry key names (UninstallEntryKeyName) that holds no other
// product's entry, and names that key in the install record. Returns the
// entry's key path; empty when it could not be written or recorded (what
// was written of it is deleted again).
std::wstring WriteUninstallEntry(const SetupInfo& info, const std::wstring& dir,
                                 std::uint64_t installedBytes, const std::wstring& sourceFolder);

// The folder the installation came from, as its entry names it; empty
// without one.
std::wstring RecordedInstallSource(const SetupInfo& info);

// Deletes the uninstall copy in folder (the record's) when its package is
// info's; the running copy is moved aside and deleted at the next restart,
// or, where it cannot be moved, deleted there at the next restart. note
// hears when another product's copy stays. Returns the copy's program path
// when it stays with neither (the system refused both); else empty.
std::wstring RemoveUninstallCopy(const SetupInfo& info, const std::wstring& folder,
                                 const std::function<void(const std::wstring&)>& note);

// Deletes the entry the install record names (RecordedEntryKeyName) while it
// holds info's entry; another product's entry under that name stays.
// Returns the key path of info's entry when it could not be deleted; empty
// when it is gone (or was never written).
std::wstring DeleteUninstallEntry(const SetupInfo& info);

// The title of the product whose Apps & features entry starts the uninstall
// copy in programFolder; empty when no entry does. A removal whose package
// is gone names its log after it.
std::wstring EntryTitleOfCopy(const std::wstring& programFolder);
