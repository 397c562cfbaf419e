// What a scenario checks after the program under test has acted, and what
// it arranges before: files, the registry, shortcut files, shell folders.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"

namespace e2e {

// Files and folders.
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// The attributes (FILE_ATTRIBUTE_...), nothing when the path does not exist.
std::optional<DWORD> FileAttributes(const std::wstring& path);
std::optional<std::string> ReadFileBytes(const std::wstring& path);
std::optional<std::wstring> ReadUtf8File(const std::wstring& path);
// Creates the file's folder chain as needed; replaces an existing file.
[[nodiscard]] bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
[[nodiscard]] bool CreateFolders(const std::wstring& folder);
// Copies a folder with everything below it; the target may exist.
[[nodiscard]] bool CopyTree(const std::wstring& from, const std::wstring& to);
// Deletes a folder with everything below it (read-only files included).
[[nodiscard]] bool RemoveTree(const std::wstring& folder);
// Every file below root, as paths relative to it ("data\stage1.dat"),
// sorted; folders appear only through their files.
std::vector<std::wstring> ListFiles(const std::wstring& root);
// True when path exists within timeoutMs.
bool WaitForFile(const std::wstring& path, DWORD timeoutMs = kWaitMs);
// The "key=value" lines of a marker file such as the sample programs'
// game_ran.txt (exe=..., cwd=...), UTF-8; empty when unreadable.
std::map<std::wstring, std::wstring> ReadMarker(const std::wstring& path);
// Waits until the marker holds every one of keys (it may exist before its
// writer is done) and returns it; empty when it does not in time.
std::map<std::wstring, std::wstring> WaitForMarker(const std::wstring& path,
                                                   const std::vector<std::wstring>& keys = {L"exe", L"cwd"},
                                                   DWORD timeoutMs = kWaitMs);

// The registry (the view of the driver's own bitness, the same as the
// program under test in the Windows test tree).
std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& key, const std::wstring& value);
[[nodiscard]] bool WriteRegString(HKEY root, const std::wstring& key, const std::wstring& value,
                                  const std::wstring& data);
bool RegKeyExists(HKEY root, const std::wstring& key);
// Deletes key with all its subkeys; true also when it did not exist.
[[nodiscard]] bool DeleteRegTree(HKEY root, const std::wstring& key);

// A shortcut file read back through the shell.
struct CShortcut {
  std::wstring target;  // from the link's item list: intact in every code page
  std::wstring arguments;
  std::wstring workingFolder;
  std::wstring description;
  std::wstring iconFile;
  int iconIndex = 0;
};
std::optional<CShortcut> ReadShortcut(const std::wstring& linkPath);

// A shell folder by its CSIDL_ value (CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
// CSIDL_PROGRAM_FILES...), without final backslash; empty when unknown.
std::wstring ShellFolder(int csidl);
// The temporary folder, with a final backslash, as programs see it.
std::wstring TempFolder();

}  // namespace e2e
