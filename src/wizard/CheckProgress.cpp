#include "wizard/CheckProgress.h"

#include <commctrl.h>

#include <memory>
#include <type_traits>

#include "install/Verify.h"
#include "package/SetupInfo.h"
#include "res/resource.h"
#include "wizard/Progress.h"

namespace {

struct WindowDestroyer {
  void operator()(HWND window) const { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// The window only shows: nothing in it is pressed.
INT_PTR CALLBACK CheckDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

std::vector<FileEntry> CheckWithProgress(HWND owner, const SetupInfo& info,
                                         const std::wstring& folder) {
  const UniqueWindow window(::CreateDialogParamW(::GetModuleHandleW(nullptr),
                                                 MAKEINTRESOURCEW(IDD_CHECK), owner,
                                                 &CheckDialogProc, 0));
  const HWND bar = window ? ::GetDlgItem(window.get(), IDC_PROGRESS) : nullptr;
  ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  return DamagedFiles(info, folder, [&](std::uint64_t checked, std::uint64_t total) {
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(ProgressPosition(checked, total)), 0);
    // The window paints and moves while the check reads (at most once
    // every kUpdateIntervalMs).
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (window && ::IsDialogMessageW(window.get(), &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  });
}
