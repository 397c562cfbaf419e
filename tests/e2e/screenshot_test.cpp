// Pictures for docs/screenshots, taken by scripts/screenshots.sh; ctest
// leaves Screenshot* suites out, and elsewhere Shot does nothing.
#include <gtest/gtest.h>

#include "Steps.h"

namespace e2e {
namespace {

// The sample product: two discs, so the launcher comes from the temporary
// copy, as a user sees it.
constexpr wchar_t kTitle[] = L"星の旅人";

TEST(ScreenshotLauncher, NotInstalledInstalledAndDiscPrompt) {
  Play({Insert(L"sample"), Start(L"Q:\\setup.exe", kTitle), Shot(L"launcher"), Close(),
        SetRecord(kTitle, L"C:\\Program Files\\サンプル工房\\星の旅人\\"),
        Start(L"Q:\\setup.exe", kTitle), Shot(L"launcher-installed"),
        // Without the DirectX set-up on the disc the launcher asks for a disc.
        Delete(L"Q:\\directx\\dxsetup.exe"), Click(kDirectXId), Box({}, kKeep),
        Shot(L"launcher-disc-prompt"), Answer(IDCANCEL), Close(), SetRecord(kTitle, L""),
        // At 150 %, beside the first picture; the wizard's come next, at 100 %.
        Dpi(144), Start(L"Q:\\setup.exe", kTitle), Shot(L"launcher-144dpi"), Close(), Dpi(96)});
}

TEST(ScreenshotWizard, DestinationCopyAndFinishPages) {
  Play({Insert(L"sample"), Start(L"Q:\\setup.exe", kTitle), Click(kInstallId), Page(0),
        Shot(L"wizard-destination"), Next(), Box({}, kKeep), Shot(L"wizard-disc-prompt"),
        Shot(L"wizard-copy", true), Insert(L"sample", L"DISC2"), Answer(IDOK), Page(2),
        Shot(L"wizard-finish"), Finish(), Close()});
}

}  // namespace
}  // namespace e2e
