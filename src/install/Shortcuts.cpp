#include "install/Shortcuts.h"

#include <shlobj.h>

#include "package/SetupInfo.h"
#include "win/Files.h"
#include "win/Shell.h"

std::vector<ProductLink> ProductLinks(const SetupInfo& info, const std::wstring& installDir) {
  const std::wstring game = installDir + info.exeFile;
  const std::wstring menu = info.menuFolder + L"\\";
  std::vector<ProductLink> links{{CSIDL_DESKTOP, info.title + L".lnk", game},
                                 {CSIDL_PROGRAMS, menu + info.title + L".lnk", game}};
  for (const MenuEntry& entry : info.menus)
    links.push_back({CSIDL_PROGRAMS, menu + entry.caption + L".lnk", installDir + entry.target});
  return links;
}

void MakeProductLinks(const SetupInfo& info, const std::function<void(const std::wstring&)>& note) {
  for (const ProductLink& link : ProductLinks(info, info.installDir)) {
    const bool made = CreateShortcut(link.csidl, link.link, link.target);
    note((made ? L"link " : L"warning: no link ") + link.link + L" -> " + link.target);
  }
}

void RemoveProductLinks(const SetupInfo& info) {
  for (const ProductLink& link : ProductLinks(info, {})) {
    const std::wstring folder = GetSpecialFolderPath(link.csidl);
    // A caption may name a sub-folder of the menu folder; it goes when empty.
    if (!folder.empty()) (void)DeleteFileAndEmptyParents(folder, link.link);
  }
  const std::wstring programs = GetSpecialFolderPath(CSIDL_PROGRAMS);
  if (!programs.empty()) RemoveEmptyFolders(programs, info.menuFolder);
}
