#include "install/RunCopy.h"

#include <windows.h>

#include <vector>

#include "install/InstallNames.h"
#include "package/SafeNames.h"
#include "text/PathText.h"
#include "win/Paths.h"
#include "win/Processes.h"

namespace {

// New names to try before giving up: each is taken only by the run that
// creates its folder, so a clash costs one more try.
constexpr int kNameTries = 64;
// How long a copy's file may stay in use after its process has ended (the
// system lets go of the image a moment later; a scanner may look at it).
constexpr int kDeleteTries = 40;
constexpr DWORD kDeleteWaitMs = 50;

// A number no other run is likely to draw: the time, the process and the
// try, mixed so that neighbours differ in every digit.
std::uint32_t RunNumber(int attempt) {
  LARGE_INTEGER counter{};
  (void)::QueryPerformanceCounter(&counter);
  std::uint64_t x = static_cast<std::uint64_t>(counter.QuadPart) ^
                    (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32) ^
                    (static_cast<std::uint64_t>(attempt) * 0x9E3779B97F4A7C15u);
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDu;
  x ^= x >> 33;
  return static_cast<std::uint32_t>(x);
}

// The folder, open with access and share (FILE_SHARE_DELETE never: while
// a run holds its folder so, no sweep opens it to remove it).
win::UniqueFile HoldFolder(const std::wstring& folder, DWORD access, DWORD share, DWORD flags) {
  return win::UniqueFile(::CreateFileW(folder.c_str(), access, share, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

// The names in folder (ending in a backslash), and whether any is a folder.
std::vector<std::wstring> Entries(const std::wstring& folder, bool& subfolder) {
  std::vector<std::wstring> names;
  subfolder = false;
  WIN32_FIND_DATAW found{};
  const win::UniqueFind find(::FindFirstFileW((folder + L"*").c_str(), &found));
  if (!find) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) subfolder = true;
    names.push_back(name);
  } while (::FindNextFileW(find.get(), &found));
  return names;
}

// Tries attempt again for a moment while it says not yet (false): what is
// to go may still be held. True once it says done.
template <typename Attempt>
bool Soon(Attempt attempt) {
  for (int i = 0; i < kDeleteTries; ++i) {
    if (attempt()) return true;
    ::Sleep(kDeleteWaitMs);
  }
  return false;
}

void ScheduleRemoval(const std::wstring& program, const std::wstring& folder) {
  // The file first: the folder goes only once it is empty.
  (void)::MoveFileExW(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  (void)::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

std::optional<std::wstring> TempFilePath(const std::wstring& tempFolder, const std::wstring& name) {
  if (tempFolder.empty() || !IsSafeFileName(name)) return std::nullopt;
  const std::wstring folder = text::WithTrailingBackslash(tempFolder);
  const std::wstring path = folder + name;

  // Whatever the system makes of the name, it must stay a file directly in
  // the temporary folder.
  const std::optional<std::wstring> fullPath = FullPath(path);
  const std::size_t slash = fullPath ? fullPath->rfind(L'\\') : std::wstring::npos;
  if (slash == std::wstring::npos || !SameFolder(fullPath->substr(0, slash + 1), folder))
    return std::nullopt;
  return path;
}

bool IsRunCopy(const std::wstring& program, const std::wstring& tempFolder) {
  // "<temp>\<run folder>\<program>"; the temporary folder may be a drive's
  // root, whose backslash is its own.
  const std::size_t last = program.find_last_of(L"\\/");
  const std::size_t before = last == std::wstring::npos || last == 0
                                 ? std::wstring::npos
                                 : program.find_last_of(L"\\/", last - 1);
  return before != std::wstring::npos && !tempFolder.empty() &&
         SameFolder(program.substr(0, before + 1), tempFolder) &&
         IsRunFolderName(std::wstring_view(program).substr(before + 1, last - before - 1));
}

std::unique_ptr<CRunCopy> CRunCopy::Make(const std::wstring& tempFolder, const std::wstring& title,
                                         DWORD& error) {
  const std::wstring source = ModulePath();
  error = ERROR_INVALID_NAME;
  if (source.empty() || tempFolder.empty()) return nullptr;
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    const std::wstring name = RunFolderName(RunNumber(attempt));
    const std::optional<std::wstring> folder = TempFilePath(tempFolder, name);
    if (!folder) return nullptr;
    if (!::CreateDirectoryW(folder->c_str(), nullptr)) {
      error = ::GetLastError();
      if (error == ERROR_ALREADY_EXISTS) continue;
      return nullptr;
    }
    win::UniqueFile hold =
        HoldFolder(*folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
    if (!hold) {
      // Taken by a sweep in the moment between: that one goes, another is
      // made. Anything else ends the tries, with nothing left behind.
      error = ::GetLastError();
      (void)::RemoveDirectoryW(folder->c_str());
      if (error == ERROR_SHARING_VIOLATION) continue;
      return nullptr;
    }
    std::unique_ptr<CRunCopy> copy(new CRunCopy(*folder + L"\\", std::move(hold)));
    const std::optional<std::wstring> program =
        TempFilePath(copy->m_folder, TempProgramName(copy->m_folder, title));
    if (!program) {
      error = ERROR_FILENAME_EXCED_RANGE;
      return nullptr;  // the destructor removes the folder
    }
    copy->m_program = *program;
    if (!::CopyFileW(source.c_str(), program->c_str(), TRUE)) {
      error = ::GetLastError();
      return nullptr;
    }
    // A copy from a disc is read-only; it must go later.
    (void)::SetFileAttributesW(program->c_str(), FILE_ATTRIBUTE_NORMAL);
    error = ERROR_SUCCESS;
    return copy;
  }
  return nullptr;
}

CRunCopy::~CRunCopy() {
  if (!m_hold) return;
  const bool deleted =
      m_program.empty() || Soon([&] {
        (void)::SetFileAttributesW(m_program.c_str(), FILE_ATTRIBUTE_NORMAL);
        return ::DeleteFileW(m_program.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
      });
  m_hold.reset();
  // A sweep that listed the folder before the program went may hold it a
  // moment longer; any other failure is final.
  bool removed = false;
  (void)Soon([&] {
    removed = deleted && ::RemoveDirectoryW(m_folder.c_str());
    return removed || !deleted || ::GetLastError() != ERROR_SHARING_VIOLATION;
  });
  if (!removed) ScheduleRemoval(m_program, m_folder);
}

void CRunCopy::LetGo() { m_hold.reset(); }

std::vector<std::wstring> RunFoldersIn(const std::wstring& tempFolder) {
  std::vector<std::wstring> folders;
  if (tempFolder.empty()) return folders;
  const std::wstring temp = text::WithTrailingBackslash(tempFolder);
  WIN32_FIND_DATAW found{};
  const win::UniqueFind find(::FindFirstFileW((temp + kRunFolderStem + L"*").c_str(), &found));
  for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found)) {
    // A junction or link of that name is not a run's folder: what it
    // leads to is never looked into.
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
            FILE_ATTRIBUTE_DIRECTORY &&
        IsRunFolderName(found.cFileName))
      folders.push_back(temp + found.cFileName + L"\\");
  }
  return folders;
}

void SweepRunFolders(const std::wstring& tempFolder) {
  for (const std::wstring& folder : RunFoldersIn(tempFolder)) {
    bool subfolder = false;
    const std::vector<std::wstring> names = Entries(folder, subfolder);
    bool ours = !subfolder;
    for (const std::wstring& name : names) ours = ours && IsTempProgramName(name);
    if (!ours) continue;  // not a run's: whatever else is there stays
    // Opened to be deleted, which the run that holds its folder does not
    // share: that run keeps it. (Listed first: a run never writes into a
    // folder it could not hold, and what came since keeps the folder.)
    // Held, it can be neither renamed nor replaced; it is checked to be the
    // plain folder it was when listed.
    win::UniqueFile hold = HoldFolder(folder, DELETE | FILE_LIST_DIRECTORY, FILE_SHARE_READ,
                                      FILE_FLAG_OPEN_REPARSE_POINT);
    BY_HANDLE_FILE_INFORMATION held{};
    if (!hold || !::GetFileInformationByHandle(hold.get(), &held) ||
        (held.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    bool emptied = true;
    for (const std::wstring& name : names) {
      const std::wstring path = folder + name;
      (void)::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      // A copy still running stays; one its run removed meanwhile is gone.
      emptied =
          (::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND) && emptied;
    }
    hold.reset();
    if (emptied) (void)::RemoveDirectoryW(folder.c_str());
  }
}

void ScheduleRunCopyRemoval(const std::wstring& program) {
  if (IsRunCopy(program, TempFolder())) ScheduleRemoval(program, *text::ParentFolderOf(program));
}
