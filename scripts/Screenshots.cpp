// screenshots.exe: brings setup.exe into the states that docs/screenshots
// shows, with the end-to-end suite's steps, and has scripts/screenshots.sh
// take each picture. It runs on Wine's virtual desktop, which draws window
// frames: started elsewhere, it starts itself again there and passes on
// that run's report.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Process.h"
#include "Steps.h"
#include "win/Handles.h"

namespace e2e {
namespace {

// Asks screenshots.sh --capture for OUT/name.png, the screen area that the
// windows cover with a margin of desktop. It lays each window's own X window
// (Wine keeps its id as a property) over the desktop's picture, in this
// order: a window that has not reached the desktop's picture yet shows black.
bool TakePicture(const std::wstring& name, const std::vector<CWindow>& windows) {
  // The last window is the one the user works with: active. Activated from
  // another process, its title bar is redrawn as active by WM_NCACTIVATE.
  (void)::SetForegroundWindow(windows.back().Handle());
  ::SendMessageTimeoutW(windows.back().Handle(), WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
  RECT area{};
  std::wstring layers;
  for (const CWindow& window : windows) {
    RECT rect{};
    if (!window.IsVisible() || !::GetWindowRect(window.Handle(), &rect)) return false;
    ::RedrawWindow(window.Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::UnionRect(&area, &area, &rect);
    const auto xid =
        reinterpret_cast<ULONG_PTR>(::GetPropW(window.Handle(), L"__wine_x11_whole_window"));
    if (xid) {
      layers += L" " + std::to_wstring(xid) + L" " + std::to_wstring(rect.left) + L" " +
                std::to_wstring(rect.top);
    }
  }
  ::Sleep(500);  // the repaint
  const std::wstring out = Environment(L"SETUP_SHOTS_OUT"), script = Environment(L"SETUP_SHOTS");
  std::wstring picture = L"Z:" + out + L"/" + name + L".png";
  std::replace(picture.begin(), picture.end(), L'/', L'\\');
  (void)::DeleteFileW(picture.c_str());
  // Wine runs a Unix program as it is; it gives no handle that tells its end.
  std::wstring command =
      L"bash \"" + script + L"\" --capture " + name + L" " +
      std::to_wstring(std::max<LONG>(0, area.left - 12)) + L" " +
      std::to_wstring(std::max<LONG>(0, area.top - 12)) + L" " +
      std::to_wstring(std::min<LONG>(::GetSystemMetrics(SM_CXSCREEN), area.right + 12)) + L" " +
      std::to_wstring(std::min<LONG>(::GetSystemMetrics(SM_CYSCREEN), area.bottom + 12)) + layers;
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION started{};
  if (out.empty() || script.empty() ||
      !::CreateProcessW(L"Z:\\bin\\bash", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started))
    return false;
  const win::UniqueHandle process(started.hProcess), thread(started.hThread);
  return WaitUntil([&] { return FileExists(picture); });
}

// The windows in view; the wizard or launcher alone, its box moved aside;
// the box alone.
enum class Frame { kAll, kPageAlone, kBoxAlone };

Step Shot(const std::wstring& name, Frame frame = Frame::kAll) {
  return [=](CRun& run) {
    std::vector<CWindow> windows = InView(run);
    ASSERT_FALSE(windows.empty()) << "nothing in view";
    const HWND box = windows.size() > 1 ? windows.back().Handle() : nullptr;
    RECT rect{};
    if (frame == Frame::kBoxAlone) windows.erase(windows.begin(), windows.end() - 1);
    if (frame == Frame::kPageAlone && box) {
      ::GetWindowRect(box, &rect);
      ::SetWindowPos(box, nullptr, 0, 700, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      windows.pop_back();
    }
    EXPECT_TRUE(TakePicture(name, windows)) << "no picture " << testing::PrintToString(name);
    if (frame == Frame::kPageAlone && box)
      ::SetWindowPos(box, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  };
}

// The sample product: two discs, so the launcher comes from the temporary
// copy, as a user sees it.
TEST(Launcher, NotInstalledInstalledAndDiscPrompt) {
  Play({Insert(L"sample"), Start(L"Q:\\setup.exe", L"sample"), Shot(L"launcher"), Close(),
        SetRecord(L"sample", DefaultFolder(L"sample") + L"\\"), Start(L"Q:\\setup.exe", L"sample"),
        Shot(L"launcher-installed"),
        // Without the DirectX set-up on the disc the launcher asks for a disc.
        Delete(L"Q:\\directx\\dxsetup.exe"), Click(IDC_DIRECTX), Box({}, kKeep),
        Shot(L"launcher-disc-prompt"), Answer(IDCANCEL), Close(), SetRecord(L"sample", L""),
        // At 150 %, beside the first picture; the wizard's come next, at 100 %.
        Dpi(144), Start(L"Q:\\setup.exe", L"sample"), Shot(L"launcher-144dpi"), Close(), Dpi(96)});
}

// The tests share one prefix, in this order: each leaves nothing installed.
TEST(Repair, TheQuestionFromTheEntry) {
  const std::wstring set = WorkDir() + L"\\repairset",
                     copy = DefaultFolder(L"sample") + L"\\uninstall\\setup.exe";
  Play({CopySet(L"sample", set, {L"DISC1", L"DISC2"}),
        Silent(set + L"\\DISC1\\setup.exe", L"/S", 0),
        Delete(DefaultFolder(L"sample") + L"\\game.exe"), Spawn(copy, L"/repair"), Box({}, kKeep),
        Shot(L"repair-question", Frame::kBoxAlone), Answer(IDYES), Page(1), Finish(),
        Box({}, IDOK), Exited(0), Silent(copy, L"/uninstall /S", 0)});
}

TEST(Uninstall, TheQuestionFromTheEntry) {
  const std::wstring set = WorkDir() + L"\\set",
                     copy = DefaultFolder(L"sample") + L"\\uninstall\\setup.exe";
  Play({CopySet(L"sample", set, {L"DISC1", L"DISC2"}),
        Silent(set + L"\\DISC1\\setup.exe", L"/S", 0), Spawn(copy, L"/uninstall"), Box({}, kKeep),
        Shot(L"uninstall-question", Frame::kBoxAlone), Answer(IDYES), Box({}, IDOK), Exited(0)});
}

// The disc prompt names the disc that no drive holds: R: holds another
// product's disc 2.
TEST(Wizard, DestinationCopyAndFinishPages) {
  Play({Insert(L"sample"), Insert(L"multi", L"DISC2", L'r'), Start(L"Q:\\setup.exe", L"sample"),
        Click(IDC_INSTALL), Page(0), Shot(L"wizard-destination"), Next(), Box({}, kKeep),
        Shot(L"wizard-disc-prompt"), Shot(L"wizard-copy", Frame::kPageAlone),
        Insert(L"sample", L"DISC2"), Answer(IDOK), Page(2), Shot(L"wizard-finish"), Finish(),
        Close()});
}

// Abandoned at its disc prompt, the installation is listed: Install goes on,
// Uninstall removes it, Start waits for it to be whole.
TEST(Launcher, AnInterruptedInstallation) {
  Play({Insert(L"sample"), Start(L"Q:\\setup.exe", L"sample"), Click(IDC_INSTALL), Page(0), Next(),
        Box({}, IDCANCEL), Box({}, IDYES), SheetGone(), Shot(L"launcher-interrupted"),
        Click(IDC_UNINSTALL), Box({}, IDYES), Box({}, IDOK), Close()});
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
  const std::wstring log = e2e::Environment(L"SETUP_SHOTS_LOG");
  if (log.empty()) {
    const std::wstring report = e2e::JoinPath(e2e::WorkDir(), L"screenshots.log");
    ::SetEnvironmentVariableW(L"SETUP_SHOTS_LOG", report.c_str());
    e2e::CProcess desktop =
        e2e::CProcess::Start(L"C:\\windows\\explorer.exe",
                             L"/desktop=shot,1024x1024 " + std::wstring(::GetCommandLineW()));
    if (!desktop || !desktop.WaitExit(INFINITE)) return 2;
    const std::vector<char> bytes = e2e::ReadAll(report).value_or(std::vector<char>());
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return 0;
  }
  if (!_wfreopen(log.c_str(), L"w", stdout)) return 2;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
