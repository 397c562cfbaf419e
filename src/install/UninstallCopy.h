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

// Whether info.installDir holds the uninstall copy of another product, which
// stays its own: replaced, its entry would remove this product and it could
// never be removed itself.
bool HoldsOtherProductsCopy(const SetupInfo& info);

// Copies the running program and info.packageBytes into info.installDir's
// uninstall folder. False when either could not be written.
bool WriteUninstallCopy(const SetupInfo& info);

// Writes the entry; installedBytes gives its size. A half-written entry is
// deleted again. False when it could not be written.
bool WriteUninstallEntry(const SetupInfo& info, std::uint64_t installedBytes);

// Deletes the uninstall copy in folder (the record's) when its package is
// info's; the running copy is moved aside and deleted at the next restart.
// note hears when another product's copy stays.
void RemoveUninstallCopy(const SetupInfo& info, const std::wstring& folder,
                         const std::function<void(const std::wstring&)>& note);

// Deletes the entry. True when it is gone (or was never written).
bool DeleteUninstallEntry(const SetupInfo& info);
