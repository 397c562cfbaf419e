// The shell's special folders and links.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

// Owner of an item list that the shell allocated with the task allocator.
struct CoTaskMemDeleter {
  void operator()(void* p) const { ::CoTaskMemFree(p); }
};
using UniqueItemList = std::unique_ptr<ITEMIDLIST, CoTaskMemDeleter>;

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
// link was saved.
bool CreateShortcut(int csidl, const std::wstring& linkPath, const std::wstring& targetPath);
