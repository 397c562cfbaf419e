// Folder and shortcut helpers shared by the wizard and the removal.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Owner of an item list that the shell allocated with the task allocator.
struct CoTaskMemDeleter {
  void operator()(void* p) const { ::CoTaskMemFree(p); }
};
using UniqueItemList = std::unique_ptr<ITEMIDLIST, CoTaskMemDeleter>;

// The folder that holds the last component of path: the text before its last
// separator ('\\' or '/'). None when there is no separator, when the separator
// is the first character, or when a drive's colon precedes it (the parent is
// then a root, which always exists).
std::optional<std::wstring> ParentFolderOf(const std::wstring& path);

// Creates every missing folder above the last component of path, from the top
// down; the last component itself is never created, so a path ending in a
// separator has its folder created too. Failures are left to the caller's
// next step (creating the file) to notice.
void CreateDirectoryChain(std::wstring path);

// The file-system path of the file-system folder behind an item list, or
// empty when it has none.
std::wstring PathFromItemList(PCIDLIST_ABSOLUTE items);

// The path of a shell special folder (CSIDL_...) ending in a backslash, or
// empty when the shell has no such file-system folder.
std::wstring GetSpecialFolderPath(int csidl);

// Writes the shell link special folder + linkPath (which may name
// sub-folders; they are created) pointing at targetPath, a full path, with
// the target's folder as working folder. Writes nothing when the special
// folder is unknown. The calling thread must have entered COM. True when the
// link was saved; the installation itself ignores the result.
bool CreateShortcut(int csidl, const std::wstring& linkPath, const std::wstring& targetPath);

// The full path of the running program; empty when the system cannot tell.
std::wstring ModulePath();

// The folder of the running program, ending in a backslash; empty when the
// system cannot tell.
std::wstring ModuleFolder();

// path made full by the system (GetFullPathNameW, at any length); none when
// it cannot.
std::optional<std::wstring> FullPath(const std::wstring& path);

// path, a full path, in a form the file functions take at any length: as it
// is when shorter than MAX_PATH; otherwise made plain (FullPath, since the
// "\\?\" form takes "..", "/" and trailing dots literally) and given that
// form, "\\?\C:\..." or "\\?\UNC\server\share\...". A program not marked
// long-path-aware cannot reach a longer path any other way.
std::wstring ExtendedPath(const std::wstring& path);

// Whether two folders are the same once made full, ignoring case and a
// trailing backslash; false when either cannot be made full.
bool SameFolder(const std::wstring& a, const std::wstring& b);

// The user's temporary folder, ending in a backslash; empty when the system
// names none that fits a path.
std::wstring TempFolder();

// The current folder, at any length; empty when the system cannot tell.
std::wstring CurrentFolder();

// A package file's bytes, read whole; none when it cannot be read or is
// larger than any package the publisher's tool makes (its members lie below
// 2 GiB; pictures and a table take far less).
std::optional<std::vector<char>> ReadPackageFile(const std::wstring& path);
