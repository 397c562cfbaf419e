#include "install/InstallFolder.h"

#include <algorithm>
#include <cwctype>
#include <optional>

#include "install/InstallNames.h"
#include "text/PathText.h"

#ifdef _WIN32
#include <windows.h>
#include <shlwapi.h>

#include "win/Paths.h"
#endif

namespace {

// The longest folder CreateDirectoryW creates (room left for an 8.3 name),
// without the terminating zero; paths are within kMaxPathChars.
constexpr std::size_t kMaxDirectoryChars = 247;

#ifdef _WIN32
// Windows drops the trailing dots and blanks of a path's last part only, so
// CreateDirectoryW would drop them from each folder of the chain in turn
// while the files' paths keep them: every part is resolved as a last part.
std::optional<std::wstring> PlainFolder(const std::wstring& typed) {
  const std::optional<std::wstring> full = FullPath(typed);
  if (!full) return std::nullopt;
  const wchar_t* const parts = ::PathSkipRootW(full->c_str());
  if (!parts) return text::WithTrailingBackslash(*full);
  std::wstring plain(full->c_str(), parts);
  for (std::size_t at = plain.size(); at < full->size();) {
    const std::size_t end = std::min(full->find(L'\\', at), full->size());
    if (end > at) {
      const std::optional<std::wstring> next =
          FullPath(text::WithTrailingBackslash(plain) + full->substr(at, end - at));
      if (!next) return std::nullopt;
      plain = *next;
    }
    at = end + 1;
  }
  return text::WithTrailingBackslash(plain);
}
#endif

}  // namespace

std::wstring DefaultInstallFolder(const std::wstring& programFiles, const SetupInfo& info) {
  return ProductFolderIn(programFiles.empty() ? L"C:\\Program Files" : programFiles, info);
}

std::wstring FreeSpaceQueryPath(const std::wstring& folderText) {
  const std::size_t colon = folderText.find(L':');
  if (colon == std::wstring::npos) return folderText;
  return folderText.substr(0, colon + 1) + L"\\";
}

std::size_t MaxInstallFolderChars(const std::vector<FileEntry>& files) {
  const auto within = [](std::size_t limit, std::size_t used) {
    return limit > used ? limit - used : 0;
  };
  // The folder's own backslash counts against both limits.
  std::size_t chars = kMaxDirectoryChars;
  const auto leaveRoomFor = [&](const std::wstring& name) {
    chars = std::min(chars, within(kMaxPathChars, name.size() + 1));
    const std::size_t cut = name.find_last_of(L"\\/");
    if (cut != std::wstring::npos) chars = std::min(chars, within(kMaxDirectoryChars, cut + 1));
  };
  for (const FileEntry& file : files) leaveRoomFor(file.name);
  // Every installation also writes the uninstall copy; without room for it
  // no Apps & features entry is written.
  leaveRoomFor(kUninstallProgram);
  leaveRoomFor(kUninstallPackage);
  return chars;
}

std::wstring FolderForDisplay(const std::wstring& folder) {
  if (folder.size() < 2 || folder.back() != L'\\' || folder[folder.size() - 2] == L':' ||
      folder[folder.size() - 2] == L'\\')
    return folder;
  return folder.substr(0, folder.size() - 1);
}

#ifdef _WIN32
std::optional<InstallFolder> PlainInstallFolder(const std::wstring& typed) {
  std::wstring text = typed;
  std::replace(text.begin(), text.end(), L'/', L'\\');
  // A relative folder would land on the source disc, and the removal could
  // not find it again. A bare drive ("C:") is one too: it names the drive's
  // current folder, whichever that is.
  const std::optional<std::wstring> plain =
      text::IsFullFolderPath(text) ? PlainFolder(text) : std::nullopt;
  if (!plain || !text::IsFullFolderPath(*plain)) return std::nullopt;
  return InstallFolder(*plain);
}

InstallFolderChoice ChooseInstallFolder(const std::wstring& typed,
                                        const std::vector<FileEntry>& files) {
  InstallFolderChoice choice;
  choice.maxChars = MaxInstallFolderChars(files);
  choice.folder = PlainInstallFolder(typed);
  if (!choice.folder) {
    choice.refusal = FolderRefusal::kNotFull;
  } else if (FolderForDisplay(choice.folder->Path()).size() > choice.maxChars) {
    // Counted as shown, without the trailing backslash.
    choice.refusal = FolderRefusal::kTooLong;
  }
  return choice;
}
#endif
