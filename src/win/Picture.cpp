#include "win/Picture.h"

#include <cstdlib>
#include <utility>

#include "win/SystemLibrary.h"

namespace win {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Resolved at run time: systems before Windows 10 1607 lack it.
GetDpiForWindowFn GetDpiForWindowProc() {
  static const auto proc =
      ProcAddress<GetDpiForWindowFn>(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  return proc;
}

}  // namespace

UINT WindowDpi(HWND window) {
  if (const GetDpiForWindowFn proc = GetDpiForWindowProc()) {
    if (const UINT dpi = proc(window)) return dpi;
  }
  const UniqueDc screen(::CreateCompatibleDC(nullptr));
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UniqueBitmap ScalePicture(HBITMAP picture, UINT dpi) {
  BITMAP size{};
  if (!::GetObjectW(picture, sizeof size, &size)) return {};
  const int fromWidth = size.bmWidth, fromHeight = std::abs(size.bmHeight);
  const int width = ::MulDiv(fromWidth, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
  const int height = ::MulDiv(fromHeight, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
  if (width <= 0 || height <= 0) return {};

  // 24 bits: the static control shows it as it is (a 32-bit one it may copy
  // for its alpha channel, and that copy would be nobody's).
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  UniqueBitmap scaled(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  const UniqueDc from(::CreateCompatibleDC(nullptr)), to(::CreateCompatibleDC(nullptr));
  if (!scaled || !from || !to) return {};
  const CSelection fromPicture(from.get(), picture), toScaled(to.get(), scaled.get());
  if (!fromPicture || !toScaled) return {};
  // Halftone averages the source pixels each target pixel covers; it wants
  // the brush origin set again after the mode.
  ::SetStretchBltMode(to.get(), HALFTONE);
  ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
  if (!::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, fromWidth, fromHeight,
                    SRCCOPY))
    return {};
  ::GdiFlush();
  return scaled;
}

void CPicture::Show(HWND control, HBITMAP picture) {
  m_hControl = control;
  m_hPicture = picture;
  if (!control) return;
  // ORed, not replaced: the templates' SS_BLACKRECT (0x04) | SS_BITMAP
  // (0x0E) is exactly SS_BITMAP.
  const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
  ::SetWindowLongPtrW(control, GWL_STYLE, style | SS_BITMAP);
  Rescale();
}

void CPicture::Rescale() {
  if (!m_hControl) return;
  const UINT dpi = WindowDpi(m_hControl);
  UniqueBitmap scaled;
  if (m_hPicture && dpi != USER_DEFAULT_SCREEN_DPI) scaled = ScalePicture(m_hPicture, dpi);
  // The control takes the bitmap's size. Where the system cannot scale, the
  // picture shows at its own size.
  const auto previous = reinterpret_cast<HBITMAP>(::SendMessageW(
      m_hControl, STM_SETIMAGE, IMAGE_BITMAP,
      reinterpret_cast<LPARAM>(scaled ? scaled.get() : m_hPicture)));
  // A picture with alpha the control shows from a copy of its own, which it
  // hands back here and forgets; our own it shows no longer either.
  if (previous && previous != m_hPicture && previous != m_scaled.get()) ::DeleteObject(previous);
  m_scaled = std::move(scaled);
}

}  // namespace win
