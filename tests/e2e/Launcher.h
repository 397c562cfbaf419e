// The launcher as a person meets it: a dialog captioned with the product's
// title, five command buttons and a picture.
#pragma once

#include <optional>
#include <string>

#include "Process.h"
#include "Window.h"

namespace e2e {

// Control ids of the launcher dialog.
inline constexpr int kPictureId = 1007;
inline constexpr int kInstallId = 1003;
inline constexpr int kDirectXId = 1006;
inline constexpr int kStartGameId = 1005;
inline constexpr int kUninstallId = 1004;
inline constexpr int kReadmeId = 1008;

// title + " セットアップ"
std::wstring LauncherCaption(const std::wstring& title);

// The install record: value "path" under HKLM\SOFTWARE\<maker>\<title>.
std::wstring InstallRecordKey(const std::wstring& maker, const std::wstring& title);
std::optional<std::wstring> ReadInstallRecord(const std::wstring& maker, const std::wstring& title);
// Records folder (which should end in a backslash) as the install folder.
[[nodiscard]] bool WriteInstallRecord(const std::wstring& maker, const std::wstring& title,
                                      const std::wstring& folder);

// One start of setup.exe that is expected to show the launcher.
struct CLauncherRun {
  CProcess process;  // the process that was started
  CWindow window;    // its launcher; null when none appeared in time
};

// Starts program (setup.exe in a disc folder or on Q:) with arguments in
// folder (empty: the program's own folder) and waits for the launcher of
// title, in any process: a multi-disc start shows it from a relaunched copy.
CLauncherRun StartLauncher(const std::wstring& program, const std::wstring& title,
                           const std::wstring& arguments = {}, const std::wstring& folder = {});

// Closes the launcher with Esc and waits until its process has ended; false
// also when there is no such window.
[[nodiscard]] bool CloseLauncher(const CWindow& launcher);

}  // namespace e2e
