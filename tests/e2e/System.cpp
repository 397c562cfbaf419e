#include "System.h"

#include <objbase.h>
#include <shobjidl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "text/Utf8.h"
#include "win/Handles.h"

namespace e2e {

namespace {

// Calls visit(name, isFolder) for each entry of folder.
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW found{};
  const win::UniqueFind search(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
  if (!search) return false;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L".." &&
        !visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
      return false;
  } while (::FindNextFileW(search.get(), &found));
  return true;
}

// Q:'s target is WorkDir()\tray\disc (R:'s trayr\disc, S:'s trays\disc): a
// disc goes in by renaming its home to the tray. Renaming the folder above the
// one Q:\ names works while a process has Q:\ as its current directory.
std::map<wchar_t, std::wstring> s_insertedHomes;

}  // namespace

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}

std::wstring FixtureDisc(const std::wstring& fixture, const std::wstring& label) {
  return JoinPath(JoinPath(FixturesDir(), fixture), label);
}

bool CopyFixtureDisc(const std::wstring& fixture, const std::wstring& label,
                     const std::wstring& folder, bool withSetup) {
  const std::wstring master = FixtureDisc(fixture, label);
  if (!FolderExists(master) || !CopyTree(master, folder)) return false;
  // Nothing in the copy may stay read-only from the build tree.
  for (const std::wstring& file : ListFiles(folder)) {
    (void)::SetFileAttributesW(JoinPath(folder, file).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  return !withSetup ||
         (::CopyFileW(SetupProgram().c_str(), JoinPath(folder, L"setup.exe").c_str(), FALSE) &&
          PlantDll(folder));
}

bool PlantDll(const std::wstring& folder) {
  const std::wstring name = Environment(L"E2E_PLANT");
  if (name.empty()) return true;
  return ::CopyFileW((ModuleFolder() + L"e2e_planted.dll").c_str(),
                     JoinPath(folder, name + L".dll").c_str(), FALSE);
}

std::wstring PlantedDllLoads() {
  // The file that Planted.cpp appends to.
  const std::vector<char> bytes =
      ReadAll(JoinPath(WorkDir(), L"planted-loaded.txt")).value_or(std::vector<char>());
  return text::FromUtf8(std::string_view(bytes.data(), bytes.size()));
}

CDisc PrepareDisc(const std::wstring& fixture, const std::wstring& label) {
  static int s_count = 0;
  const std::wstring home =
      JoinPath(WorkDir(), L"discs\\" + std::to_wstring(++s_count) + L"-" + label);
  return CopyFixtureDisc(fixture, label, JoinPath(home, L"disc")) ? CDisc{home} : CDisc{};
}

bool InsertDisc(const CDisc& disc, wchar_t drive) {
  std::wstring& inserted = s_insertedHomes[drive];
  const std::wstring tray = JoinPath(WorkDir(), L"tray" + std::wstring(drive != L'q', drive));
  if (!disc || inserted == disc.home) return static_cast<bool>(disc);
  if (!inserted.empty() && !::MoveFileW(tray.c_str(), inserted.c_str())) return false;
  inserted.clear();
  if (!::MoveFileW(disc.home.c_str(), tray.c_str())) return false;
  inserted = disc.home;
  return true;
}

bool RegisterDocumentOpener(const std::wstring& extension) {
  // Machine-wide classes: the view that every process of the prefix reads.
  const std::wstring opener = Environment(L"E2E_OPENER"), classes = L"SOFTWARE\\Classes\\";
  return !opener.empty() &&
         WriteRegString(HKEY_LOCAL_MACHINE, classes + extension, L"", L"e2e.document") ==
             ERROR_SUCCESS &&
         WriteRegString(HKEY_LOCAL_MACHINE, classes + L"e2e.document\\shell\\open\\command", L"",
                        L"\"" + opener + L"\" \"%1\"") == ERROR_SUCCESS;
}

std::map<std::wstring, std::wstring> WaitRecord(const std::wstring& path) {
  std::map<std::wstring, std::wstring> fields;
  // A line counts once it has ended: the file may exist before its writer is done.
  const bool written = WaitUntil([&] {
    const std::vector<char> bytes = ReadAll(path).value_or(std::vector<char>());
    const std::wstring lines = text::FromUtf8(std::string_view(bytes.data(), bytes.size()));
    for (std::size_t at = 0, end; (end = lines.find(L"\r\n", at)) != std::wstring::npos;
         at = end + 2) {
      const std::size_t equals = lines.find(L'=', at);
      if (equals < end)
        fields[lines.substr(at, equals - at)] = lines.substr(equals + 1, end - equals - 1);
    }
    return fields.count(L"cwd") != 0;
  });
  return written ? fields : std::map<std::wstring, std::wstring>();
}

std::optional<DWORD> FileAttributes(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool FileExists(const std::wstring& path) {
  return !(FileAttributes(path).value_or(FILE_ATTRIBUTE_DIRECTORY) & FILE_ATTRIBUTE_DIRECTORY);
}
bool FolderExists(const std::wstring& path) {
  return FileAttributes(path).value_or(0) & FILE_ATTRIBUTE_DIRECTORY;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  CreateDirectoryChain(path);
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  return file && file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryChain(text::WithTrailingBackslash(to));
  return ForEachEntry(from, [&](const std::wstring& name, bool isFolder) {
    const std::wstring source = JoinPath(from, name), target = JoinPath(to, name);
    return isFolder ? CopyTree(source, target)
                    : ::CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
  });
}

std::vector<std::wstring> ListFiles(const std::wstring& root) {
  std::vector<std::wstring> files;
  (void)ForEachEntry(root, [&](const std::wstring& name, bool isFolder) {
    if (!isFolder) return files.push_back(name), true;
    for (const std::wstring& file : ListFiles(JoinPath(root, name)))
      files.push_back(name + L"\\" + file);
    return true;
  });
  std::sort(files.begin(), files.end());
  return files;
}

bool DeleteRegTree(HKEY root, const std::wstring& key) {
  const LSTATUS status = ::RegDeleteTreeW(root, key.c_str());
  const LSTATUS removed = ::RegDeleteKeyW(root, key.c_str());
  return (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) &&
         (removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND);
}

std::optional<CShortcut> ReadShortcut(const std::wstring& linkPath) {
  win::ComPtr<IShellLinkW> link;
  win::ComPtr<IPersistFile> file;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
      FAILED(file->Load(linkPath.c_str(), STGM_READ)))
    return std::nullopt;
  // The plain path may have gone through the ANSI code page; the item list not.
  PIDLIST_ABSOLUTE items = nullptr;
  wchar_t folder[MAX_PATH * 4] = {};
  if (FAILED(link->GetIDList(&items))) items = nullptr;
  const UniqueItemList owned(items);
  if (FAILED(link->GetWorkingDirectory(folder, MAX_PATH * 4))) folder[0] = L'\0';
  return CShortcut{PathFromItemList(owned.get()), folder};
}

}  // namespace e2e
