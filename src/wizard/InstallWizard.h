// The Install command's three-page wizard: destination, copy, finish.
#pragma once

#include <windows.h>

struct SetupInfo;

// Runs the wizard modally, owned by owner (the launcher, disabled meanwhile).
// Sets info.installDir on the destination page; the copy writes the files,
// the shortcuts and the install record. Returns when the wizard has closed,
// finished or cancelled alike. wizardPicture may be null (no picture).
void RunInstallWizard(HWND owner, SetupInfo& info, HBITMAP wizardPicture);
