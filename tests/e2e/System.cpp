#include "System.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

#include "text/Utf8.h"
#include "win/Handles.h"

namespace e2e {

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}


// Lines "key=value" of a UTF-8 text, each counted once its line has ended.
std::map<std::wstring, std::wstring> ReadFields(const std::wstring& text) {
  std::map<std::wstring, std::wstring> fields;
  for (std::size_t position = 0, end; (end = text.find(L'\n', position)) != std::wstring::npos;
       position = end + 1) {
    std::wstring line = text.substr(position, end - position);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const std::size_t equals = line.find(L'=');
    if (equals != std::wstring::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return fields;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Calls visit(name, isFolder) for each entry of folder.
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW found{};
  const win::UniqueFind search(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
  if (!search) return false;
  do {
    if (!IsDotEntry(found.cFileName) &&
        !visit(std::wstring(found.cFileName),
               (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
      return false;
  } while (::FindNextFileW(search.get(), &found));
  return true;
}

void CollectFiles(const std::wstring& root, const std::wstring& relative,
                  std::vector<std::wstring>& files) {
  (void)ForEachEntry(JoinPath(root, relative), [&](const std::wstring& name, bool isFolder) {
    isFolder ? CollectFiles(root, JoinPath(relative, name), files)
             : files.push_back(JoinPath(relative, name));
    return true;
  });
}

// The drive's target is WorkDir()\tray\disc: a disc goes in by renaming its
// home to "tray". Renaming the folder above the one Q:\ names works while a
// process has Q:\ as its current directory (that folder is held open).
std::wstring& InsertedHome() {
  static std::wstring home;
  return home;
}

}  // namespace

const std::wstring& WorkDir() {
  static const std::wstring folder = Environment(L"E2E_WORK");
  return folder;
}
const std::wstring& FixturesDir() {
  static const std::wstring folder = Environment(L"E2E_FIXTURES");
  return folder;
}
const std::wstring& SetupProgram() {
  static const std::wstring program = Environment(L"E2E_SETUP");
  return program;
}

std::wstring JoinPath(const std::wstring& base, const std::wstring& name) {
  return base.empty() ? name : WithBackslash(base) + name;
}

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

std::wstring WithoutBackslash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  if (path.size() == 3 && path[1] == L':') return path;
  if (path.size() > 1 && path.back() == L'\\') path.pop_back();
  return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  const auto plain = [](const std::wstring& path) {
    wchar_t full[1024] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), 1024, full, nullptr);
    return WithBackslash(length > 0 && length < 1024 ? std::wstring(full, length) : path);
  };
  const std::wstring left = plain(a), right = plain(b);
  return ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
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
  wchar_t driver[MAX_PATH * 2] = {};
  std::wstring planted(driver, ::GetModuleFileNameW(nullptr, driver, MAX_PATH * 2));
  planted.replace(planted.find_last_of(L'\\') + 1, std::wstring::npos, L"e2e_planted.dll");
  return ::CopyFileW(planted.c_str(), JoinPath(folder, name + L".dll").c_str(), FALSE);
}

std::wstring PlantedDllLoads() {
  // The file that Planted.cpp appends to.
  return text::FromUtf8(ReadFileBytes(JoinPath(WorkDir(), L"planted-loaded.txt")).value_or(""));
}

CDisc PrepareDisc(const std::wstring& fixture, const std::wstring& label) {
  static int s_count = 0;
  const std::wstring home =
      JoinPath(WorkDir(), L"discs\\" + std::to_wstring(++s_count) + L"-" + label);
  return CopyFixtureDisc(fixture, label, JoinPath(home, L"disc")) ? CDisc{home} : CDisc{};
}

bool InsertDisc(const CDisc& disc) {
  std::wstring& inserted = InsertedHome();
  const std::wstring tray = JoinPath(WorkDir(), L"tray");
  if (!disc || inserted == disc.home) return static_cast<bool>(disc);
  if (!inserted.empty() && !::MoveFileW(tray.c_str(), inserted.c_str())) return false;
  inserted.clear();
  if (!::MoveFileW(disc.home.c_str(), tray.c_str())) return false;
  inserted = disc.home;
  return true;
}

bool RegisterDocumentOpener(const std::wstring& extension) {
  // Machine-wide classes: the view that every process of the prefix reads.
  const std::wstring opener = Environment(L"E2E_OPENER");
  return !opener.empty() &&
         WriteRegString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\" + extension, L"",
                        L"e2e.document") &&
         WriteRegString(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Classes\\e2e.document\\shell\\open\\command", L"",
                        L"\"" + opener + L"\" \"%1\"");
}

std::optional<std::wstring> WaitDocumentOpened() {
  // The opener appends one record per document: "file=...\r\ncwd=...\r\n".
  static std::size_t s_taken = 0;
  std::optional<std::wstring> opened;
  WaitUntil([&] {
    const std::wstring text =
        text::FromUtf8(ReadFileBytes(JoinPath(WorkDir(), L"opened.txt")).value_or(""));
    std::size_t record = 0, position = 0;
    for (std::size_t file; (file = text.find(L"file=", position)) != std::wstring::npos; ++record) {
      const std::size_t cwd = text.find(L"\r\ncwd=", file);
      const std::size_t end = cwd == std::wstring::npos ? cwd : text.find(L"\r\n", cwd + 2);
      if (end == std::wstring::npos) return false;
      if (record == s_taken) {
        const std::map<std::wstring, std::wstring> fields =
            ReadFields(text.substr(file, end + 2 - file));
        const std::wstring& path = fields.at(L"file");
        const bool absolute =
            path.size() > 2 && (path[1] == L':' || path.compare(0, 2, L"\\\\") == 0);
        opened = absolute ? path : JoinPath(fields.at(L"cwd"), path);
        return ++s_taken, true;
      }
      position = end + 2;
    }
    return false;
  });
  return opened;
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

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  const win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size()))
    return std::nullopt;
  return bytes;
}

bool CreateFolders(const std::wstring& folder) {
  if (folder.empty() || FolderExists(folder)) return true;
  const std::wstring trimmed = WithoutBackslash(folder);
  const std::size_t slash = trimmed.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2 && !CreateFolders(trimmed.substr(0, slash)))
    return false;
  return ::CreateDirectoryW(trimmed.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && !CreateFolders(path.substr(0, slash))) return false;
  const win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         (bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                        &written, nullptr) &&
                            written == bytes.size()));
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
  return CreateFolders(to) && ForEachEntry(from, [&](const std::wstring& name, bool isFolder) {
           const std::wstring source = JoinPath(from, name), target = JoinPath(to, name);
           return isFolder ? CopyTree(source, target)
                           : ::CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
         });
}

bool RemoveTree(const std::wstring& folder) {
  if (!FolderExists(folder)) return !FileExists(folder);
  (void)ForEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
    const std::wstring path = JoinPath(folder, name);
    if (isFolder) return RemoveTree(path);
    (void)::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(path.c_str()) != FALSE;
  });
  return ::RemoveDirectoryW(WithoutBackslash(folder).c_str()) != FALSE;
}

std::vector<std::wstring> ListFiles(const std::wstring& root) {
  std::vector<std::wstring> files;
  CollectFiles(root, L"", files);
  std::sort(files.begin(), files.end());
  return files;
}

std::map<std::wstring, std::wstring> WaitForMarker(const std::wstring& path) {
  std::map<std::wstring, std::wstring> fields;
  // The marker may exist before its writer is done.
  if (WaitUntil([&] {
        fields = ReadFields(text::FromUtf8(ReadFileBytes(path).value_or("")));
        return fields.count(L"exe") && fields.count(L"cwd");
      }))
    return fields;
  return {};
}

std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& key,
                                          const std::wstring& value) {
  std::wstring data(2048, L'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (::RegGetValueW(root, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, data.data(),
                     &size) != ERROR_SUCCESS)
    return std::nullopt;
  return data.c_str();
}

bool WriteRegString(HKEY root, const std::wstring& key, const std::wstring& value,
                    const std::wstring& data) {
  win::UniqueKey opened;
  return ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(),
                           nullptr) == ERROR_SUCCESS &&
         ::RegSetValueExW(opened.get(), value.empty() ? nullptr : value.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
  win::UniqueKey opened;
  return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, opened.put()) == ERROR_SUCCESS;
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
  CShortcut shortcut;
  wchar_t text[MAX_PATH * 4] = {};
  // The plain path may have gone through the ANSI code page; the item list not.
  PIDLIST_ABSOLUTE items = nullptr;
  if (SUCCEEDED(link->GetIDList(&items)) && items != nullptr) {
    if (::SHGetPathFromIDListW(items, text)) shortcut.target = text;
    ::CoTaskMemFree(items);
  }
  text[0] = L'\0';
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH * 4))) shortcut.workingFolder = text;
  return shortcut;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return WithoutBackslash(path);
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
  return length == 0 || length > MAX_PATH ? std::wstring()
                                          : WithBackslash(std::wstring(path, length));
}

}  // namespace e2e
