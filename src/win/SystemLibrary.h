// Where the program's code comes from: the system folder, never the folder
// it runs in. A DLL loaded by name is otherwise looked for in the program's
// own folder first, and this program runs from folders that every program
// of the user can write to (a download, the temporary folder).
#pragma once

#include <windows.h>

namespace win {

// Restricts the process's DLL search to the system folder: what any DLL
// loads by name from then on comes from there. Windows 7 without its loader
// update (KB2533623) cannot restrict it; there the current folder at least
// leaves the search. Call it first, before anything loads a DLL by name.
void RestrictDllSearch();

// The DLL name, loaded from the system folder (null when it cannot be). By
// name first, so that the manifest's side-by-side version applies.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function name that module exports, as a pointer of type Function;
// null when module is null or exports no such function.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
  const FARPROC found = module ? ::GetProcAddress(module, name) : nullptr;
  // Through the generic function type: a plain cast between function types
  // is an error in this build.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace win
