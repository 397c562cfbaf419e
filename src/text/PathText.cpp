#include "text/PathText.h"

#include <cwctype>

namespace text {

std::wstring WithTrailingBackslash(std::wstring folder) {
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool IsFullFolderPath(const std::wstring& folder) {
  if (folder.size() >= 3 && std::iswalpha(folder[0]) && folder[0] < 0x80 && folder[1] == L':' &&
      folder[2] == L'\\') {
    return true;
  }
  // "\\server\share": a server name, then a share name.
  if (folder.size() < 5 || folder[0] != L'\\' || folder[1] != L'\\' || folder[2] == L'\\') {
    return false;
  }
  const std::size_t shareStart = folder.find(L'\\', 2);
  return shareStart != std::wstring::npos && shareStart + 1 < folder.size() &&
         folder[shareStart + 1] != L'\\';
}

std::size_t RootLengthOf(const std::wstring& folder) {
  if (!IsFullFolderPath(folder)) return 0;
  if (folder[1] == L':') return 3;
  const std::size_t shareEnd = folder.find(L'\\', folder.find(L'\\', 2) + 1);
  return shareEnd == std::wstring::npos ? folder.size() : shareEnd + 1;
}

std::optional<std::wstring> ParentFolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos || cut == 0 || path[cut - 1] == L':') return std::nullopt;
  return path.substr(0, cut);
}

}  // namespace text
