// A dialog's picture control: a borrowed bitmap shown at the scale of the
// screen the window is on, scaled again when the window moves to another.
#pragma once

#include <windows.h>

#include "win/Handles.h"

namespace win {

// Dots per inch of the screen window is on, as the window sees it (96 is
// 100 %): the window's own where the system tells it (Windows 10 1607 on),
// else the screen's.
UINT WindowDpi(HWND window);

// A 24-bit copy of picture, width and height times dpi/96, filtered by
// halftone stretching; empty when the system refuses.
UniqueBitmap ScalePicture(HBITMAP picture, UINT dpi);

class CPicture {
 public:
  // Turns control (a black rectangle in the template) into a bitmap static
  // showing picture at the window's scale; at 96 DPI the picture itself. The
  // bitmap is borrowed: the caller keeps it alive while the window exists.
  // A null picture leaves the area empty.
  void Show(HWND control, HBITMAP picture);
  // Shows the picture at the window's current scale (after a DPI change).
  void Rescale();

 private:
  HWND m_hControl = nullptr;
  HBITMAP m_hPicture = nullptr;  // borrowed
  UniqueBitmap m_scaled;         // what the control shows when not the picture itself
};

}  // namespace win
