// The Install command's three-page wizard: destination, copy, finish.
#pragma once

#include <windows.h>

#include <optional>

#include "install/InstallFolder.h"

class InstallSources;
struct InstallPlan;
struct SetupInfo;

// Runs the wizard modally, owned by owner (the launcher, disabled meanwhile).
// The destination page chooses the folder, proposing proposed (an
// interrupted installation's, to go on with) or else the default; the copy
// page installs info's files from sources into it, with the shortcuts and
// the install record. Returns when the wizard has closed, finished or
// cancelled alike. wizardPicture may be null (no picture).
void RunInstallWizard(HWND owner, const SetupInfo& info, const InstallSources& sources,
                      std::optional<InstallFolder> proposed, HBITMAP wizardPicture);

// A plan made beforehand (the repair's): the copy page (its files, then the
// record, links, uninstall copy and entry) and the finish page. True when
// all is in place.
bool RunCopyWizard(HWND owner, const InstallPlan& plan, HBITMAP wizardPicture);
