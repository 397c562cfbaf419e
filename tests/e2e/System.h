// What a scenario arranges and checks outside the program under test: its
// folders and the fixtures, the disc drive Q:, files, the registry,
// shortcut files, and documents opened through the opener. Paths, whole
// files, folder chains, registry texts and shell folders are the product's
// own (src/win, src/text).
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Window.h"
#include "text/PathText.h"
#include "win/Files.h"
#include "win/Paths.h"
#include "win/Registry.h"
#include "win/Shell.h"

namespace e2e {

// A variable of the environment; empty when unset. run-scenario.sh sets
// the scenario's scratch folder, the fixtures (fixtures\<product>\<DISC>\...:
// copy, never change), the program under test and E2E_OPENER.
std::wstring Environment(const wchar_t* name);
inline std::wstring WorkDir() { return Environment(L"E2E_WORK"); }
inline std::wstring FixturesDir() { return Environment(L"E2E_FIXTURES"); }
inline std::wstring SetupProgram() { return Environment(L"E2E_SETUP"); }

inline std::wstring JoinPath(const std::wstring& base, const std::wstring& name) {
  return text::WithTrailingBackslash(base) + name;
}
// Any file a scenario reads whole.
inline std::optional<std::vector<char>> ReadAll(const std::wstring& path) {
  return ReadWholeFile(path, 1u << 30);
}

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
// Where e2e_opener.exe leaves its nth report (from 1): "file=" the document
// as given, "cwd=" its current directory. Each appears whole.
inline std::wstring OpenedRecord(int n) {
  return JoinPath(WorkDir(), L"opened-" + std::to_wstring(n) + L".txt");
}
// The "key=value" lines of a sample program's marker or an opener's report
// once its last line, cwd=, is written; empty when it is not in time.
std::map<std::wstring, std::wstring> WaitRecord(const std::wstring& path);

std::optional<DWORD> FileAttributes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Creates the file's folder chain as needed; replaces an existing file.
[[nodiscard]] bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
[[nodiscard]] bool CopyTree(const std::wstring& from, const std::wstring& to);
// Every file below root as a relative path ("data\stage1.dat"), sorted.
std::vector<std::wstring> ListFiles(const std::wstring& root);

[[nodiscard]] bool DeleteRegTree(HKEY root, const std::wstring& key);  // true also when absent

struct CShortcut {
  std::wstring target;  // from the link's item list: intact in every code page
  std::wstring workingFolder;
};
std::optional<CShortcut> ReadShortcut(const std::wstring& linkPath);

}  // namespace e2e
