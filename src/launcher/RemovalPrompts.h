// The removal's question and final message, shared by the launcher's
// Uninstall and the interactive /uninstall.
#pragma once

#include <windows.h>

struct SetupInfo;
struct UninstallResult;

// The removal's question, in a message box of owner (null: none); No is
// the default. True for Yes.
bool AskUninstall(HWND owner);

// Tells the user in a message box of owner what the removal did: done, how
// many files stayed and the first of them, the key that stayed (the
// record's, else the entry's), or the uninstall copy that stayed.
void TellUninstallResult(HWND owner, const SetupInfo& info, const UninstallResult& result);
