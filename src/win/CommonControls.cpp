#include "win/CommonControls.h"

#include "win/SystemLibrary.h"

namespace win {

namespace {

// Loaded on first use, for the life of the process.
HMODULE CommonControlsDll() {
  static const HMODULE module = LoadSystemLibrary(L"comctl32.dll");
  return module;
}

}  // namespace

bool InitCommonControlClasses(DWORD classes) {
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = ProcAddress<InitFn>(CommonControlsDll(), "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX controls{sizeof controls, classes};
  return init && init(&controls);
}

INT_PTR RunPropertySheet(const PROPSHEETHEADERW& header) {
  using PropertySheetFn = INT_PTR(WINAPI*)(const PROPSHEETHEADERW*);
  const auto run = ProcAddress<PropertySheetFn>(CommonControlsDll(), "PropertySheetW");
  return run ? run(&header) : -1;
}

}  // namespace win
