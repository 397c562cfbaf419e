// What a scenario arranges and checks outside the program under test:
// folders, fixtures, the disc drive Q:, files, the registry, shortcuts and
// documents opened through the opener. Path, file, registry and shell
// helpers are the product's own (src/win, src/text).
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

// A variable of the environment; empty when unset. run-scenario.sh sets the
// scratch folder, the fixtures (<product>\<DISC>: copy, never change) and
// the programs.
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

// Copies e2e_planted.dll, which setup.exe must never load, into folder as
// E2E_PLANT.dll (README.md); nothing without E2E_PLANT.
[[nodiscard]] bool PlantDll(const std::wstring& folder);
// "<DLL> loaded into <program>" for each process it was loaded into.
std::wstring PlantedDllLoads();

// The drives Q:, R:, S: (images side by side), empty at first; a fixture's disc.
struct CDisc {
  std::wstring home;  // WorkDir()\discs\<n>; holds the folder "disc" while out
  explicit operator bool() const { return !home.empty(); }
};
CDisc PrepareDisc(const std::wstring& fixture, const std::wstring& label);
// Swaps the disc in drive ('q', 'r', 's'): it then shows its files, also to
// processes whose current directory is its root.
[[nodiscard]] bool InsertDisc(const CDisc& disc, wchar_t drive = L'q');

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
