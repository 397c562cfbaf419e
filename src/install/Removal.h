// Removal of an installed product: files and the folders they leave empty,
// the desktop and Programs-menu shortcuts, the menu folder, the record, the
// uninstall copy and the Apps & features entry. Asks nothing and tells
// nothing: the caller asks and tells.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "install/InstallFolder.h"

struct SetupInfo;

// What a removal could not remove: listed files that exist and could not be
// deleted (open), the first of them by its full path; the record's key,
// when it stayed although its folder value went (it holds keys of others);
// the Apps & features entry's key path, when it could not be deleted; and
// the uninstall copy's program, where it stays neither deleted nor to be
// deleted at the next restart.
struct UninstallResult {
  std::size_t filesLeft = 0;
  std::wstring firstLeft;
  bool recordKeyLeft = false;
  std::wstring entryKeyLeft;
  std::wstring copyLeft;
  bool Complete() const {
    return filesLeft == 0 && !recordKeyLeft && entryKeyLeft.empty() && copyLeft.empty();
  }
};

// Removes what an installation made, working from info and folder, the
// recorded install folder (none: the record holds no full folder; the
// links, the record and the entry still go). When a listed file stays, the record, the uninstall
// copy and the Apps & features entry stay too, so that the removal can be tried again from the
// launcher or from the system's list; the rest goes. The uninstall copy, when it runs (the removal
// was started from it), is moved to the temporary folder and deleted at the next restart, so that
// its folder can go. note, when given, hears of every listed file removed or left and of the
// record. Of an installation that never ended complete, only the listed files that are whole as the
// package lists them go: the run placed nothing else under those names, so another file of such a
// name was there before it (the player's, another product's) and stays.
enum class RemovalOf { kInstallation, kInterrupted };
UninstallResult UninstallProduct(const SetupInfo& info, const std::optional<InstallFolder>& folder,
                                 const std::function<void(const std::wstring&)>& note = {},
                                 RemovalOf what = RemovalOf::kInstallation);
