// The product's shortcuts: where each one lies and what it points at, for
// the installation that makes them and the removal that deletes them.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct SetupInfo;

struct ProductLink {
  int csidl;            // the special folder it lies in
  std::wstring link;    // below that folder: may name sub-folders; ends in ".lnk"
  std::wstring target;  // installDir + a name from the package
};

// Whose desktop and Programs menu: the installation is for the machine, so
// its links are for all users; an earlier version put them in the
// running account's own folders.
enum class LinkOwner { kAllUsers, kRunningUser };

// The desktop link, then the menu links (the game first, then every menu
// row) of info, pointing into installDir.
std::vector<ProductLink> ProductLinks(const SetupInfo& info, const std::wstring& installDir,
                                      LinkOwner owner = LinkOwner::kAllUsers);

// Makes every link into installDir; note hears of each link made or not. A
// link that fails fails nothing else. The calling thread must have entered
// COM.
void MakeProductLinks(const SetupInfo& info, const std::wstring& installDir,
                      const std::function<void(const std::wstring&)>& note);

// Deletes every link, for all users and in the running account's own
// folders, the sub-folders of the menu folder they leave empty and the menu
// folder itself when empty. Links that are not there are passed over.
void RemoveProductLinks(const SetupInfo& info);
