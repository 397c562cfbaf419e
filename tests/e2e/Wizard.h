// The install wizard as a person meets it: a sheet captioned "インストール"
// over the launcher, its three pages and the wizard buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "Launcher.h"
#include "Scenario.h"
#include "Window.h"

namespace e2e {

// The makers of the test products.
inline constexpr wchar_t kMaker[] = L"サンプル工房";
inline constexpr wchar_t kWizardCaption[] = L"インストール";
// Wizard buttons (their texts follow the locale) and page controls.
inline constexpr int kBack = 0x3023, kNext = 0x3024, kFinish = 0x3025;
inline constexpr int kFolderEdit = 1000, kSpaceText = 1008, kProgress = 1002;

// The wizard sheet of the launcher's process and its current page.
class CWizard {
 public:
  explicit CWizard(DWORD processId) : m_sheet(WaitWindow(kWizardCaption, processId, kNext)) {}
  explicit operator bool() const { return static_cast<bool>(m_sheet); }
  const CWindow& Sheet() const { return m_sheet; }

  CWindow Page() const {
    DWORD_PTR page = 0;
    ::SendMessageTimeoutW(m_sheet.Handle(), PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
    return CWindow(reinterpret_cast<HWND>(page));
  }
  int PageIndex() const {
    DWORD_PTR index = static_cast<DWORD_PTR>(-1);
    ::SendMessageTimeoutW(m_sheet.Handle(), PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(Page().Handle()), 0,
                          SMTO_ABORTIFHUNG, 5000, &index);
    return static_cast<int>(index);
  }
  // Waits until the page is current and shows its buttons: the destination
  // page posts Next alone (the sheet starts with Back enabled too), the
  // finish page shows Finish.
  bool WaitPage(int index, DWORD timeoutMs = kWaitMs) const {
    const DWORD start = ::GetTickCount();
    const auto settled = [&] {
      if (PageIndex() != index) return false;
      if (index == 0) return m_sheet.ControlEnabled(kNext) && !m_sheet.ControlEnabled(kBack);
      if (index == 2) return m_sheet.ControlVisible(kFinish);
      return true;
    };
    while (!settled()) {
      if (!m_sheet.Exists() || ::GetTickCount() - start >= timeoutMs) return false;
      ::Sleep(20);
    }
    return true;
  }
  std::wstring Folder() const { return Page().ControlText(kFolderEdit); }
  // Types a folder: WM_SETTEXT is carried across processes.
  bool SetFolder(const std::wstring& folder) const {
    const HWND edit = Page().Control(kFolderEdit);
    DWORD_PTR result = 0;
    return edit && ::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()),
                                         SMTO_ABORTIFHUNG, 5000, &result) && result;
  }
  std::wstring SpaceText() const { return Page().ControlText(kSpaceText); }
  bool Click(int id, DWORD timeoutMs = kWaitMs) const { return m_sheet.Click(id, timeoutMs); }

 private:
  CWindow m_sheet;
};


// Program Files\<maker>\<title>, the destination page's proposal.
std::wstring DefaultFolder(const std::wstring& title);
// The desktop link and a link in the menu folder of the Programs menu.
std::wstring DesktopLink(const std::wstring& title);
std::wstring MenuLink(const std::wstring& menuFolder, const std::wstring& name);

// Starts the launcher of fixture's first disc from the drive and opens the
// wizard from it; processId stays 0 when that failed.
struct CInstallRun {
  CDisc disc1;
  CLauncherRun launcher;
  DWORD processId = 0;
};
CInstallRun OpenWizard(const std::wstring& fixture, const std::wstring& title);

// Waits until the launcher's buttons show the product as installed (Install
// disabled, Start and Uninstall enabled) or as not installed: they follow
// only once the wizard or the removal has returned.
bool WaitButtonsShowInstalled(const CWindow& launcher, bool installed, DWORD timeoutMs = kWaitMs);

}  // namespace e2e
