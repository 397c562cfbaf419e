#include "win/Dialog.h"

#include <commctrl.h>

namespace win {

namespace {

// A DPI change reaches a top-level dialog as WM_DPICHANGED and a page (a
// child dialog) as this; the dialog manager lays the controls out anew
// after either, and the picture is fitted once it has, on kRescalePicture.
constexpr UINT kDpiChangedAfterParent = 0x02E3;  // WM_DPICHANGED_AFTERPARENT, Windows 10 1703
constexpr UINT kRescalePicture = WM_APP + 0x3F00;

}  // namespace

INT_PTR CDialog::DoModal(HWND owner) {
  m_modal = true;
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::OnButtonClicked(int id) {
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

INT_PTR CDialog::HandleMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  return FALSE;
}

INT_PTR CDialog::SetMsgResult(LONG_PTR result) {
  ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = message == WM_INITDIALOG
                      ? reinterpret_cast<CDialog*>(lParam)
                      : reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  return Dispatch(self, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK CDialog::PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    self = page ? reinterpret_cast<CDialog*>(page->lParam) : nullptr;
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  return Dispatch(self, hwnd, message, wParam, lParam);
}

INT_PTR CDialog::Dispatch(CDialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages before WM_INITDIALOG (WM_SETFONT) have no object yet.
  if (!self) return FALSE;
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = hwnd;
  }
  INT_PTR result = FALSE;
  // Nothing thrown may unwind through the system's dialog manager.
  try {
    result = self->Route(message, wParam, lParam);
  } catch (...) {
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

INT_PTR CDialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      RECT before{};
      ::GetWindowRect(m_hWnd, &before);
      const BOOL result = OnInitDialog();
      if (m_modal) CenterIfUnmoved(before);
      return result;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        OnButtonClicked(LOWORD(wParam));
      } else {
        OnControlNotify(LOWORD(wParam), HIWORD(wParam));
      }
      return TRUE;
    case WM_DPICHANGED:
    case kDpiChangedAfterParent:
      ::PostMessageW(m_hWnd, kRescalePicture, 0, 0);
      return HandleMessage(message, wParam, lParam);
    case kRescalePicture:
      m_picture.Rescale();
      return TRUE;
    default:
      return HandleMessage(message, wParam, lParam);
  }
}

// A dialog that did not place itself appears centred over its owner, or on
// the work area of its monitor when it has none.
void CDialog::CenterIfUnmoved(const RECT& before) {
  RECT rect{};
  ::GetWindowRect(m_hWnd, &rect);
  if (!::EqualRect(&rect, &before)) return;

  RECT area{};
  const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    area = monitor.rcWork;
  }
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  LONG x = area.left + (area.right - area.left - width) / 2;
  LONG y = area.top + (area.bottom - area.top - height) / 2;
  // Keep the caption on the screen even over a small owner.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    if (x + width > monitor.rcWork.right) x = monitor.rcWork.right - width;
    if (y + height > monitor.rcWork.bottom) y = monitor.rcWork.bottom - height;
    if (x < monitor.rcWork.left) x = monitor.rcWork.left;
    if (y < monitor.rcWork.top) y = monitor.rcWork.top;
  }
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ShowMessage(HWND owner, const std::wstring& text, const wchar_t* caption, UINT type) {
  return ::MessageBoxW(owner, text.c_str(), caption, type);
}

}  // namespace win
