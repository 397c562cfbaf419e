// Scenarios as data: a scenario is a list of steps (what is arranged,
// pressed and answered, and what must hold afterwards) that Play runs in
// order. Every step waits, up to kWaitMs, for the state it needs.
//
//   Play({Insert(L"multi"), Start(L"Q:\\setup.exe", kTitle), Click(kInstallId), Page(0), Next(),
//         Box(kDisc2, kKeep), Insert(L"multi", L"DISC2"), Answer(IDOK), Page(2), Finish(),
//         RecordIs(kTitle, folder), Close()});
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "System.h"
#include "Window.h"

namespace e2e {

inline constexpr wchar_t kMaker[] = L"サンプル工房";
inline constexpr int kInstallId = 1003, kUninstallId = 1004, kStartGameId = 1005, kDirectXId = 1006,
                     kReadmeId = 1008;  // the launcher's buttons; its picture is kPicture
inline constexpr int kKeep = 0;         // Box(..., kKeep) leaves the box open for later steps

struct CRun;  // what the steps so far have started and found
using Step = std::function<void(CRun&)>;
// Plays the steps in order; stops at the first fatal failure. Processes
// still running at the end are ended.
void Play(const std::vector<Step>& steps);
inline std::vector<Step> operator+(std::vector<Step> steps, const std::vector<Step>& more) {
  steps.insert(steps.end(), more.begin(), more.end());
  return steps;
}

// A message box as it must read; empty fields are not checked. Its owner
// must be the wizard while one is open, else the launcher, if any.
struct BoxIs {
  BoxIs(std::wstring text = {}, std::wstring caption = {}, std::vector<int> buttons = {},
        int defaultButton = 0)
      : text(std::move(text)),
        caption(std::move(caption)),
        buttons(std::move(buttons)),
        defaultButton(defaultButton) {}
  std::wstring text, caption;
  std::vector<int> buttons;  // left to right
  int defaultButton;
};

std::wstring LauncherCaption(const std::wstring& title);  // title + " セットアップ"
std::wstring DefaultFolder(const std::wstring& title);    // Program Files\<maker>\<title>
std::wstring DesktopLink(const std::wstring& title);
std::wstring MenuLink(const std::wstring& menuFolder, const std::wstring& name);
std::wstring RecordKey(const std::wstring& title, const std::wstring& maker = kMaker);

// Arranging. Paths on the disc are Q:\... while it is in the drive.
Step Insert(const std::wstring& fixture,
            const std::wstring& label = L"DISC1");  // copied once per scenario
Step CopyDisc(const std::wstring& fixture, const std::wstring& folder,
              bool withSetup = true);  // its DISC1
Step CopyTo(const std::wstring& from, const std::wstring& to);
Step Write(const std::wstring& path, const std::string& bytes);
Step Flip(const std::wstring& path);        // one bit of its middle byte: the size stays
Step WriteLarge(const std::wstring& path);  // long enough to press Cancel during its copy
Step Delete(const std::wstring& path);
Step MakeFolder(const std::wstring& path);
Step RemoveFolder(const std::wstring& path);
Step ReadOnly(const std::wstring& path);
Step SetRecord(const std::wstring& title, const std::wstring& folder,
               const std::wstring& maker = kMaker);  // "": none
Step LockMaker();  // the maker's key made volatile: no record can be written below it
Step Opener();     // e2e_opener.exe opens .txt documents
Step Hold(const std::wstring& path);  // open, so that it cannot be deleted
Step Release();
// Damages the package in the drive: a member no longer found; one whose
// data no longer begins with "BM"; a text in it replaced by one of the same
// length in code page 932 (settings setuppack would refuse).
Step Drop(const std::string& member);
Step NotBitmap(const std::string& member);
Step Replace(const std::string& member, const std::wstring& from, const std::wstring& to);
// Lists sizes in the package in the drive that add up to folder's free
// space plus extra bytes.
Step ListFreeSpace(const std::wstring& folder, std::uint64_t extra);

// Acting.
Step Start(const std::wstring& program, const std::wstring& title,
           const std::wstring& arguments = {});
Step Spawn(const std::wstring& program, const std::wstring& arguments = {});  // no launcher expected
Step Click(int id);                        // on the wizard while one is open, else on the launcher
Step Cancel(int presses = 1);
Step Next();
Step Finish();  // and the wizard closes
Step Page(int index);
Step Type(const std::wstring& folder);
Step Box(const BoxIs& expected, int answer);
Step Answer(int id);
Step Key(UINT virtualKey);  // to the open box, else to the wizard or launcher
Step CloseBox();            // the launcher's close box
Step Close();               // the launcher with Esc, and its process ends
Step Gone();                // the launcher is gone and its process ended
Step SheetGone();
Step StealFocus();
Step Shot(const std::wstring& name, bool pageAlone = false);  // the open box moved out of the way

// Checking.
Step Text(int id, const std::wstring& text);
Step PageText(int id, const std::wstring& text, bool whole = true);  // else it contains text
Step Enabled(const std::vector<int>& ids, bool enabled);
Step Visible(const std::vector<int>& ids, bool visible);
Step NotDefault(const std::vector<int>& ids);
Step Picture(bool shown);
Step Usable(bool enabled);  // the launcher window itself
Step StaysOpen();
Step NoBox();
Step Windows(const std::wstring& caption, std::size_t count);
Step Foreground();
Step ShownBy(const std::wstring& image, const std::wstring& folder, bool relaunched);
Step Exited(DWORD code);  // what Spawn started
Step Marker(const std::wstring& path, const std::wstring& exe = {},
            const std::wstring& folder = {});
Step Opened(const std::wstring& path = {});
Step Exists(const std::wstring& path, bool exists);  // a file or a folder
Step Files(const std::wstring& folder, const std::wstring& source,
           const std::vector<std::wstring>& names);  // bytes, times
Step Bytes(const std::wstring& path, const std::wstring& source);
Step Listed(const std::wstring& folder, const std::vector<std::wstring>& names);
Step Attribute(const std::wstring& path, DWORD attribute, bool set);
Step RecordIs(const std::wstring& title, const std::wstring& folder);  // "": none
Step RegKey(const std::wstring& key, bool exists);
Step Link(const std::wstring& link, const std::wstring& target, const std::wstring& folder = {});
Step Installed(bool installed);  // the launcher's buttons say so
Step Rises();                    // the copy's bar only moves forward and ends full
Step FreeUnchanged();            // since ListFreeSpace

// Unattended runs (setup.exe /S, /uninstall) and what they leave.
// A disc set copied as folder\<label> for each label, setup.exe in the first.
Step CopySet(const std::wstring& fixture, const std::wstring& folder,
             const std::vector<std::wstring>& labels);
// Runs program with arguments: no window may appear; it ends with exitCode.
Step Silent(const std::wstring& program, const std::wstring& arguments, DWORD exitCode);
Step LogHas(const std::wstring& title, const std::wstring& text);  // %TEMP%\LogFileName
// A value under HKEY_LOCAL_MACHINE\key: REG_SZ as it is, REG_DWORD in
// decimal digits, REG_MULTI_SZ its strings joined by '|'; "" when there is
// none.
Step RegValue(const std::wstring& key, const std::wstring& name, const std::wstring& value);
Step ShotBox(const std::wstring& name);  // the open box alone

// Screen scale. Dpi: the DPI (96 = 100 %) that programs started from now on
// read. Sized: control id of the wizard's page while one is open, else of
// the launcher, is times base in pixels, within 3 %; an empty base takes
// the size.
Step Dpi(DWORD dpi);
Step Sized(int id, SIZE& base, double times);

}  // namespace e2e
