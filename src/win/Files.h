// Files and folders: whole-file reads, folder chains made and removed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Creates every missing folder above the last component of path, from the top
// down; the last component itself is never created, so a path ending in a
// separator has its folder created too. Failures are left to the caller's
// next step (creating the file) to notice.
void CreateDirectoryChain(std::wstring path);

// A file's bytes, read whole, sharing it with readers only; none when it
// cannot be read or holds more than maxBytes.
std::optional<std::vector<char>> ReadWholeFile(const std::wstring& path, std::uint64_t maxBytes);

// Gives the file open as file (with DELETE access) the name path (full),
// replacing a file of that name, a read-only one too (whose attributes stay
// when it stays). Through the handle: no second open by name.
[[nodiscard]] bool RenameOpenFile(HANDLE file, const std::wstring& path);

// Deletes baseFolder + relativePath (a read-only file too), then removes the
// folders between it and baseFolder from the innermost outward while they
// are empty. baseFolder ends in a backslash and is never removed itself;
// paths of any length are reached (ExtendedPath). True when the file is
// gone: deleted, or reported missing by the system (no such file, or no
// such folder either); false on any other failure.
bool DeleteFileAndEmptyParents(const std::wstring& baseFolder, const std::wstring& relativePath);

// Removes base + relativeFolder and then its parents, innermost first, while
// they are empty; stops at base, which stays.
void RemoveEmptyFolders(const std::wstring& base, std::wstring relativeFolder);
