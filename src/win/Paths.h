// Paths as the system resolves them: the program's own path, full and long
// paths, folder comparison, the temporary and current folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

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

// Whether two folders are one on disk: SameFolder, or both there with the
// same volume and file index (a short name, a substituted drive, a
// junction, another path to a share).
bool SameFolderOnDisk(const std::wstring& a, const std::wstring& b);

// The user's temporary folder, ending in a backslash; empty when the system
// names none that fits a path.
std::wstring TempFolder();

// The current folder, at any length; empty when the system cannot tell.
std::wstring CurrentFolder();

// The roots ("F:\") of the drives the system reports as CD-ROM drives, a
// mounted disc image's included, in drive-letter order; with or without a
// disc in them.
std::vector<std::wstring> CdromDriveRoots();

// While it lives, an empty drive probed by this thread answers with an error
// rather than a system box waiting for a person. The thread's mode only:
// what the program starts keeps the system's.
class CQuietDriveErrors {
 public:
  CQuietDriveErrors() { (void)::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_old); }
  ~CQuietDriveErrors() { (void)::SetThreadErrorMode(m_old, nullptr); }
  CQuietDriveErrors(const CQuietDriveErrors&) = delete;
  CQuietDriveErrors& operator=(const CQuietDriveErrors&) = delete;

 private:
  DWORD m_old = 0;
};
