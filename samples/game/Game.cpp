// The sample product's game: leaves a marker file, then shows its window for
// about a second and ends by itself, so tests never have to close it.
// With /quit it ends right after the marker.
#include <cwchar>

#include "RunMarker.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kShowMilliseconds = 1000;
constexpr wchar_t kTitle[] = L"星の旅人";

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetTimer(window, kCloseTimer, kShowMilliseconds, nullptr);
      return 0;
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT area;
      GetClientRect(window, &area);
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, L"星の旅人 ─ 旅立ちの夜", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
  bool markerWritten = WriteRunMarker(L"game_ran.txt");
  if (std::wcsstr(commandLine, L"/quit") != nullptr) return markerWritten ? 0 : 1;

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = GameWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"SampleGameWindow";
  if (RegisterClassW(&windowClass) == 0) return 1;
  HWND window = CreateWindowW(windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 360, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return markerWritten ? 0 : 1;
}
