#include "install/Shortcuts.h"

#include <shlobj.h>

#include "package/SetupInfo.h"
#include "win/Files.h"
#include "win/Shell.h"

namespace {

int DesktopOf(LinkOwner owner) {
  return owner == LinkOwner::kAllUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP;
}
int ProgramsOf(LinkOwner owner) {
  return owner == LinkOwner::kAllUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
}

}  // namespace

std::vector<ProductLink> ProductLinks(const SetupInfo& info, const std::wstring& installDir,
                                      LinkOwner owner) {
  const std::wstring game = installDir + info.exeFile;
  const std::wstring menu = info.menuFolder + L"\\";
  const int programs = ProgramsOf(owner);
  std::vector<ProductLink> links{{DesktopOf(owner), info.title + L".lnk", game},
                                 {programs, menu + info.title + L".lnk", game}};
  for (const MenuEntry& entry : info.menus)
    links.push_back({programs, menu + entry.caption + L".lnk", installDir + entry.target});
  return links;
}

void MakeProductLinks(const SetupInfo& info, const std::wstring& installDir,
                      const std::function<void(const std::wstring&)>& note) {
  for (const ProductLink& link : ProductLinks(info, installDir)) {
    const bool made = CreateShortcut(link.csidl, link.link, link.target);
    note((made ? L"link " : L"warning: no link ") + link.link + L" -> " + link.target);
  }
}

void RemoveProductLinks(const SetupInfo& info) {
  for (const LinkOwner owner : {LinkOwner::kAllUsers, LinkOwner::kRunningUser}) {
    for (const ProductLink& link : ProductLinks(info, {}, owner)) {
      const std::wstring folder = GetSpecialFolderPath(link.csidl);
      // A caption may name a sub-folder of the menu folder; it goes when empty.
      if (!folder.empty()) (void)DeleteFileAndEmptyParents(folder, link.link);
    }
    const std::wstring programs = GetSpecialFolderPath(ProgramsOf(owner));
    if (!programs.empty()) RemoveEmptyFolders(programs, info.menuFolder);
  }
}
