// The Install command's three-page wizard: destination, copy, finish.
#pragma once

#include <windows.h>

#include <vector>

struct FileEntry;
struct SetupInfo;

// Runs the wizard modally, owned by owner (the launcher, disabled meanwhile).
// Sets info.installDir on the destination page; the copy writes the files,
// the shortcuts and the install record. Returns when the wizard has closed,
// finished or cancelled alike. wizardPicture may be null (no picture).
void RunInstallWizard(HWND owner, SetupInfo& info, HBITMAP wizardPicture);

// The repair's restore: the copy page (restoring damaged, info's files that
// differ, into info.installDir, with the record, links, uninstall copy and
// entry after them) and the finish page. True when all is restored.
bool RunRepairWizard(HWND owner, const SetupInfo& info, const std::vector<FileEntry>& damaged,
                     HBITMAP wizardPicture);
