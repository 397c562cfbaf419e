// Stands in for the DirectX set-up program on the sample disc: it only
// leaves a marker, so a test can see that the launcher started it.
#include "RunMarker.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return WriteRunMarker(L"dxsetup_ran.txt") ? 0 : 1;
}
