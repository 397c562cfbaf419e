// The uninstall copy: the program and its package in <install
// folder>\uninstall\, which the Apps & features entry (UninstallEntry)
// starts, so that a player removes the product without the disc.
#pragma once

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
// folder of installDir (a full folder ending in a backslash). False when
// either could not be written.
[[nodiscard]] bool WriteUninstallCopy(const SetupInfo& info, const std::wstring& installDir);

// Deletes the uninstall copy in folder (the record's) when its package is
// info's; the running copy is moved aside and deleted at the next restart,
// or, where it cannot be moved, deleted there at the next restart. note
// hears when another product's copy stays. Returns where the copy's
// program stays when it is neither deleted nor to be deleted at the next
// restart (the system refused both); none otherwise.
[[nodiscard]] std::optional<std::wstring> RemoveUninstallCopy(
    const SetupInfo& info, const std::wstring& folder,
    const std::function<void(const std::wstring&)>& note);
