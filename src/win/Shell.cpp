#include "win/Shell.h"

#include <shobjidl.h>

#include "text/PathText.h"
#include "win/Handles.h"
#include "win/Files.h"

namespace {

// The working folder of a link: the target's folder, or the root itself
// for a target directly in a root ("X:\game.exe" gives "X:\"), never the
// target's own path.
std::wstring WorkingFolderOf(const std::wstring& target) {
  if (auto parent = text::ParentFolderOf(target)) return *parent;
  const std::size_t cut = target.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {};
  return target.substr(0, cut + 1);
}

}  // namespace

std::wstring PathFromItemList(PCIDLIST_ABSOLUTE items) {
  wchar_t buffer[MAX_PATH] = {};
  if (!items || !::SHGetPathFromIDListW(items, buffer)) return {};
  return buffer;
}

std::wstring GetSpecialFolderPath(int csidl) {
  PIDLIST_ABSOLUTE raw = nullptr;
  if (::SHGetSpecialFolderLocation(nullptr, csidl, &raw) != S_OK) return {};
  const UniqueItemList items(raw);
  const std::wstring path = PathFromItemList(items.get());
  return path.empty() ? path : text::WithTrailingBackslash(path);
}

bool CreateShortcut(int csidl, const std::wstring& linkPath, const std::wstring& targetPath) {
  // Without the special folder the link would land relative to the current
  // folder, which is the source disc.
  const std::wstring folder = GetSpecialFolderPath(csidl);
  if (folder.empty()) return false;
  const std::wstring linkFile = folder + linkPath;
  CreateDirectoryChain(linkFile);

  win::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void()))) {
    return false;
  }
  if (FAILED(link->SetPath(targetPath.c_str()))) return false;
  if (FAILED(link->SetWorkingDirectory(WorkingFolderOf(targetPath).c_str()))) return false;

  win::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
  return SUCCEEDED(file->Save(linkFile.c_str(), TRUE));
}
