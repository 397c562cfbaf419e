// The removal's question, asked by the launcher's Uninstall and by the
// interactive /uninstall before it asks for rights.
#pragma once

#include <windows.h>


// The removal's question, in a message box of owner (null: none); No is
// the default. True for Yes.
bool AskUninstall(HWND owner);

