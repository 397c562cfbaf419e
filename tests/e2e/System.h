// What a scenario arranges and checks outside the program under test: its
// folders and the fixtures, the disc drive Q:, files, the registry,
// shortcut files, shell folders, and documents opened through the opener.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Window.h"

namespace e2e {

// Set by run-scenario.sh: the scenario's scratch folder, the fixtures
// (fixtures\<product>\<DISC>\...: copy, never change), the program under
// test and e2e_opener.exe. Empty elsewhere.
const std::wstring& WorkDir();
const std::wstring& FixturesDir();
const std::wstring& SetupProgram();

std::wstring JoinPath(const std::wstring& base, const std::wstring& name);  // "a\" + "b" -> "a\b"
std::wstring WithBackslash(std::wstring path);
std::wstring WithoutBackslash(std::wstring path);  // keeps "Q:\" whole
// Same path: case-insensitive, "." and ".." resolved, final backslash ignored.
bool SamePath(const std::wstring& a, const std::wstring& b);

std::wstring FixtureDisc(const std::wstring& fixture, const std::wstring& label);
// Copies a fixture's disc to folder and, with withSetup, the program under
// test beside it as setup.exe, with the planted DLL. The copy is the
// scenario's to change.
[[nodiscard]] bool CopyFixtureDisc(const std::wstring& fixture, const std::wstring& label,
                                   const std::wstring& folder, bool withSetup = true);

// A DLL that setup.exe must never load: e2e_planted.dll (beside the driver)
// copied into folder under the name of a DLL the program loads after it
// starts, which run-scenario.sh gives in E2E_PLANT and tells Wine to prefer
// from the program's folder. Nothing is planted without E2E_PLANT.
[[nodiscard]] bool PlantDll(const std::wstring& folder);
// What the planted DLL wrote: "<DLL> loaded into <program>" for each
// process it was loaded into; empty while none.
std::wstring PlantedDllLoads();

// The disc drive Q:, empty at first.
inline constexpr wchar_t kDiscDrive[] = L"Q:\\";
// A private copy of a fixture's disc, kept in WorkDir() while out of the drive.
struct CDisc {
  std::wstring home;  // WorkDir()\discs\<n>; holds the folder "disc" while out
  explicit operator bool() const { return !home.empty(); }
};
CDisc PrepareDisc(const std::wstring& fixture, const std::wstring& label);
// Takes out the disc in the drive and puts disc in: Q: then shows its
// files, also to processes whose current directory is Q:\.
[[nodiscard]] bool InsertDisc(const CDisc& disc);

// Makes e2e_opener.exe the program for documents of extension (".txt").
[[nodiscard]] bool RegisterDocumentOpener(const std::wstring& extension);
// The next document e2e_opener.exe reports: the path as given, made
// absolute against its current directory; nothing when none comes in time.
std::optional<std::wstring> WaitDocumentOpened();

std::optional<DWORD> FileAttributes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::optional<std::string> ReadFileBytes(const std::wstring& path);
// Creates the file's folder chain as needed; replaces an existing file.
[[nodiscard]] bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
[[nodiscard]] bool CreateFolders(const std::wstring& folder);
[[nodiscard]] bool CopyTree(const std::wstring& from, const std::wstring& to);
// Deletes a folder with everything below it, read-only files too.
[[nodiscard]] bool RemoveTree(const std::wstring& folder);
// Every file below root as a relative path ("data\stage1.dat"), sorted.
std::vector<std::wstring> ListFiles(const std::wstring& root);
// The "key=value" lines of a sample program's marker (exe=, cwd=), once
// both are written; empty when they are not in time.
std::map<std::wstring, std::wstring> WaitForMarker(const std::wstring& path);

std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& key,
                                          const std::wstring& value);
[[nodiscard]] bool WriteRegString(HKEY root, const std::wstring& key, const std::wstring& value,
                                  const std::wstring& data);
bool RegKeyExists(HKEY root, const std::wstring& key);
[[nodiscard]] bool DeleteRegTree(HKEY root, const std::wstring& key);  // true also when absent

struct CShortcut {
  std::wstring target;  // from the link's item list: intact in every code page
  std::wstring workingFolder;
};
std::optional<CShortcut> ReadShortcut(const std::wstring& linkPath);

// A shell folder by its CSIDL_ value, without final backslash.
std::wstring ShellFolder(int csidl);
std::wstring TempFolder();  // with a final backslash

}  // namespace e2e
