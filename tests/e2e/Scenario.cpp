#include "Scenario.h"

#include <string>

#include "SystemState.h"

namespace e2e {

namespace {

std::wstring Environment(const wchar_t* name) {
  const DWORD needed = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return {};
  std::wstring value(needed, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, value.data(), needed);
  if (length == 0 || length >= needed) return {};
  value.resize(length);
  return value;
}

// The drive's target is WorkDir()\tray\disc: a disc goes in by renaming its
// home folder to "tray". Renaming the folder one level above the one that
// Q:\ names works while a process has Q:\ as its current directory (the
// system holds that folder open and refuses to rename it).
std::wstring TrayFolder() { return JoinPath(WorkDir(), L"tray"); }

// Home folder of the disc in the drive; empty while the drive is empty.
std::wstring& InsertedHome() {
  static std::wstring home;
  return home;
}

// Decodes the opener's UTF-8 records; see Opener.cpp.
std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  return text;
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
const std::wstring& OpenerProgram() {
  static const std::wstring program = Environment(L"E2E_OPENER");
  return program;
}

std::wstring JoinPath(const std::wstring& base, const std::wstring& name) {
  if (base.empty()) return name;
  return WithBackslash(base) + name;
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
  // "." and ".." resolved, as the file system resolves them.
  const auto plain = [](const std::wstring& path) {
    wchar_t full[1024] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), 1024, full, nullptr);
    return WithBackslash(length > 0 && length < 1024 ? std::wstring(full, length) : path);
  };
  const std::wstring left = plain(a);
  const std::wstring right = plain(b);
  return ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FixtureDisc(const std::wstring& fixture, const std::wstring& label) {
  return JoinPath(JoinPath(FixturesDir(), fixture), label);
}

bool CopyFixtureDisc(const std::wstring& fixture, const std::wstring& label, const std::wstring& folder,
                     bool withSetup) {
  const std::wstring master = FixtureDisc(fixture, label);
  if (!FolderExists(master) || !CopyTree(master, folder)) return false;
  // The copy is the scenario's: nothing in it may stay read-only from the
  // build tree.
  for (const std::wstring& file : ListFiles(folder)) {
    (void)::SetFileAttributesW(JoinPath(folder, file).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  return !withSetup || ::CopyFileW(SetupProgram().c_str(), JoinPath(folder, L"setup.exe").c_str(), FALSE);
}

bool CDisc::IsInserted() const { return !m_home.empty() && InsertedHome() == m_home; }

std::wstring CDisc::Root() const {
  if (IsInserted()) return kDiscDrive;
  return WithBackslash(JoinPath(m_home, L"disc"));
}

CDisc PrepareDisc(const std::wstring& fixture, const std::wstring& label, bool withSetup) {
  static int s_count = 0;
  CDisc disc;
  const std::wstring home = JoinPath(JoinPath(WorkDir(), L"discs"), std::to_wstring(++s_count) + L"-" + label);
  if (!CopyFixtureDisc(fixture, label, JoinPath(home, L"disc"), withSetup)) return disc;
  disc.m_label = label;
  disc.m_home = home;
  return disc;
}

bool InsertDisc(const CDisc& disc) {
  if (!disc) return false;
  if (disc.IsInserted()) return true;
  if (!EjectDisc()) return false;
  if (!::MoveFileW(disc.m_home.c_str(), TrayFolder().c_str())) return false;
  InsertedHome() = disc.m_home;
  return true;
}

bool EjectDisc() {
  std::wstring& home = InsertedHome();
  if (home.empty()) return true;
  if (!::MoveFileW(TrayFolder().c_str(), home.c_str())) return false;
  home.clear();
  return true;
}

bool RegisterDocumentOpener(const std::wstring& extension) {
  // Machine-wide classes: the view that every process of the prefix reads.
  const std::wstring type = L"e2e.document";
  const std::wstring command = L"\"" + OpenerProgram() + L"\" \"%1\"";
  return !OpenerProgram().empty() &&
         WriteRegString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\" + extension, L"", type) &&
         WriteRegString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\" + type + L"\\shell\\open\\command", L"", command);
}

std::wstring COpenedDocument::FullPath() const {
  const bool absolute = file.size() > 2 && (file[1] == L':' || (file[0] == L'\\' && file[1] == L'\\'));
  return absolute ? file : JoinPath(folder, file);
}

std::optional<COpenedDocument> WaitDocumentOpened(DWORD timeoutMs) {
  // The opener appends one record per document: "file=...\r\ncwd=...\r\n".
  static std::size_t s_taken = 0;
  const std::wstring log = JoinPath(WorkDir(), L"opened.txt");
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (const std::optional<std::string> bytes = ReadFileBytes(log)) {
      const std::wstring text = FromUtf8(*bytes);
      std::size_t position = 0;
      for (std::size_t record = 0;; ++record) {
        const std::size_t fileStart = text.find(L"file=", position);
        const std::size_t cwdStart = text.find(L"\r\ncwd=", fileStart);
        const std::size_t end = cwdStart == std::wstring::npos ? cwdStart : text.find(L"\r\n", cwdStart + 2);
        if (fileStart == std::wstring::npos || end == std::wstring::npos) break;
        if (record == s_taken) {
          ++s_taken;
          COpenedDocument opened;
          opened.file = text.substr(fileStart + 5, cwdStart - fileStart - 5);
          opened.folder = text.substr(cwdStart + 6, end - cwdStart - 6);
          return opened;
        }
        position = end + 2;
      }
    }
    if (::GetTickCount() - start >= timeoutMs) return std::nullopt;
    ::Sleep(20);
  }
}

}  // namespace e2e
