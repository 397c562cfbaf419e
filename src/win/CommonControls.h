// The common controls (wizard sheet, progress bar). Their DLL is loaded from
// the system folder once the DLL search is restricted, never imported: it
// loads further DLLs by name as it starts. The program's manifest picks
// version 6.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace win {

// InitCommonControlsEx for the classes (ICC_...); false when it fails or
// the DLL cannot be loaded.
bool InitCommonControlClasses(DWORD classes);

// PropertySheetW; -1, as for a sheet that could not be made, when the DLL
// cannot be loaded.
INT_PTR RunPropertySheet(const PROPSHEETHEADERW& header);

}  // namespace win
