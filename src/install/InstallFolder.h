// The install folder: the default one, the drive whose free space counts,
// and the folder a player typed made into the one installed into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/SetupInfo.h"

// ProductFolderIn(programFiles, info); "C:\Program Files" stands in for an
// empty programFiles.
std::wstring DefaultInstallFolder(const std::wstring& programFiles, const SetupInfo& info);

// The path whose drive's free space is shown for a folder text: up to and
// including the first colon, plus a backslash ("C:\Games\X" gives "C:\");
// the whole text when it has no colon.
std::wstring FreeSpaceQueryPath(const std::wstring& folderText);

// The most characters an install folder (without its trailing backslash)
// may have for these files, on a Windows that is not told the program
// handles longer paths: every file's path (folder, "\", name) within 259,
// every folder it creates within the 247 that CreateDirectoryW accepts, the
// uninstall copy (kUninstallProgram, kUninstallPackage) counted with the
// files. 0 when no folder is short enough.
std::size_t MaxInstallFolderChars(const std::vector<FileEntry>& files);

// folder as the destination page shows it: without a trailing backslash,
// unless that would change where it points ("C:\", "\\server\share\").
std::wstring FolderForDisplay(const std::wstring& folder);

// The folder an installation goes into: full and plain, ending in a
// backslash. Only PlainInstallFolder makes one, so a run never installs into,
// records or deletes from a relative folder (which would be the disc's) or
// one that Windows would resolve to another place.
class InstallFolder {
 public:
  const std::wstring& Path() const { return m_path; }
  // The path of name (relative, from the package) inside the folder.
  std::wstring operator/(const std::wstring& name) const { return m_path + name; }
  bool operator==(const InstallFolder& other) const { return m_path == other.m_path; }

 private:
  explicit InstallFolder(std::wstring path) : m_path(std::move(path)) {}
  friend std::optional<InstallFolder> PlainInstallFolder(const std::wstring& text);
  std::wstring m_path;
};

#ifdef _WIN32
// text (typed by a player, passed with /D= or read from the install record)
// made full and plain as Windows would resolve it: "/" becomes "\", "." and
// ".." parts are resolved, and every part loses the trailing dots and blanks
// Windows drops. None when it is not full (empty, relative, no drive, a
// drive alone: "C:").
std::optional<InstallFolder> PlainInstallFolder(const std::wstring& text);
#endif

enum class FolderRefusal { kNone, kNotFull, kTooLong };

struct InstallFolderChoice {
  // What is installed into and recorded; also set when refused as too long
  // (the page shows it), none when not full.
  std::optional<InstallFolder> folder;
  FolderRefusal refusal = FolderRefusal::kNone;
  std::size_t maxChars = 0;  // MaxInstallFolderChars, which a kTooLong refusal names
};

#ifdef _WIN32
// The folder a player typed (or passed with /D=), made plain
// (PlainInstallFolder); refused when it is not full or too long for files.
InstallFolderChoice ChooseInstallFolder(const std::wstring& typed,
                                        const std::vector<FileEntry>& files);
#endif
