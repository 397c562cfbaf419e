#include "win/Files.h"

#include <cstring>
#include <vector>

#include "text/PathText.h"
#include "win/Handles.h"
#include "win/Paths.h"

namespace {

bool EntryExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  win::UniqueFind find(::FindFirstFileW(path.c_str(), &data));
  return static_cast<bool>(find);
}

// Deletes a file; a read-only one loses that attribute first, and gets it
// back when it stays all the same (it is in use).
bool DeleteAnyFile(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) !=
          FILE_ATTRIBUTE_READONLY ||
      !::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    ::SetLastError(error);
    return false;
  }
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD retryError = ::GetLastError();
  (void)::SetFileAttributesW(path.c_str(), attributes);
  ::SetLastError(retryError);
  return false;
}

// Whether the system says that nothing is at path after DeleteAnyFile failed
// with error: no such file, or not even its folder. Any other error, a path
// too long among them, leaves the file where it may still be.
bool IsGone(const std::wstring& path, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND) return true;
  const std::optional<std::wstring> folder = text::ParentFolderOf(path);
  if (error != ERROR_PATH_NOT_FOUND || !folder ||
      ::GetFileAttributesW(folder->c_str()) != INVALID_FILE_ATTRIBUTES)
    return false;
  const DWORD folderError = ::GetLastError();
  return folderError == ERROR_FILE_NOT_FOUND || folderError == ERROR_PATH_NOT_FOUND;
}

}  // namespace

void CreateDirectoryChain(std::wstring path) {
  // Walks up to the first ancestor that exists, then creates the missing
  // ones top-down. A loop, not recursion: a typed folder of thousands of
  // levels must not exhaust the stack.
  std::vector<std::wstring> missing;
  while (auto parent = text::ParentFolderOf(path)) {
    if (EntryExists(*parent)) break;  // a file of that name ends the chain too
    path = std::move(*parent);
    missing.push_back(path);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    ::CreateDirectoryW(it->c_str(), nullptr);  // a failure shows when the file is created
  }
}

std::optional<std::vector<char>> ReadWholeFile(const std::wstring& path, std::uint64_t maxBytes) {
  const win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) ||
      static_cast<std::uint64_t>(size.QuadPart) > maxBytes || size.QuadPart > MAXDWORD)
    return std::nullopt;
  std::vector<char> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size()))
    return std::nullopt;
  return bytes;
}

void RemoveEmptyFolders(const std::wstring& base, std::wstring relativeFolder) {
  while (!relativeFolder.empty()) {
    if (!::RemoveDirectoryW(ExtendedPath(base + relativeFolder).c_str())) return;
    std::size_t cut = relativeFolder.size();
    while (cut > 0 && !text::IsPathSeparator(relativeFolder[cut - 1])) --cut;
    if (cut == 0) return;
    relativeFolder.resize(cut - 1);
  }
}

bool DeleteFileAndEmptyParents(const std::wstring& baseFolder, const std::wstring& relativePath) {
  const std::wstring path = ExtendedPath(baseFolder + relativePath);
  // In use it stays; missing, it is gone already.
  if (!DeleteAnyFile(path)) return IsGone(path, ::GetLastError());
  std::size_t cut = relativePath.size();
  while (cut > 0 && !text::IsPathSeparator(relativePath[cut - 1])) --cut;
  if (cut > 0) RemoveEmptyFolders(baseFolder, relativePath.substr(0, cut - 1));
  return true;
}

bool RenameOpenFile(HANDLE file, const std::wstring& path) {
  // FILE_RENAME_INFO ends in the name, whose length it holds in bytes.
  const std::size_t nameBytes = path.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(nameBytes);
  std::memcpy(info->FileName, path.c_str(), nameBytes + sizeof(wchar_t));
  const DWORD size = static_cast<DWORD>(buffer.size());
  DWORD cleared = INVALID_FILE_ATTRIBUTES;  // the attributes taken off the file replaced
  bool renamed = false;
  for (int attempt = 0; attempt < 4 && !renamed; ++attempt) {
    renamed = ::SetFileInformationByHandle(file, FileRenameInfo, info, size) != FALSE;
    const DWORD error = renamed ? ERROR_SUCCESS : ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && cleared == INVALID_FILE_ATTRIBUTES) {
      // Windows replaces no read-only file (Wine, as root, does).
      cleared = ::GetFileAttributesW(path.c_str());
      if (cleared != INVALID_FILE_ATTRIBUTES)
        (void)::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    } else if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
      ::Sleep(50);  // a scanner may hold a file just written, briefly
    } else if (!renamed) {
      break;
    }
  }
  if (!renamed && cleared != INVALID_FILE_ATTRIBUTES)
    (void)::SetFileAttributesW(path.c_str(), cleared);
  return renamed;
}
