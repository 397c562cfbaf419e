// Scenarios as data (README.md): steps that each wait up to kWaitMs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "System.h"
#include "Window.h"
#include "install/InstallNames.h"
#include "install/Shortcuts.h"
#include "package/SetupInfo.h"
#include "res/resource.h"

namespace e2e {

inline constexpr int kKeep = 0;  // Box(..., kKeep) leaves the box open for later steps

struct CRun;  // what the steps so far have started and found
using Step = std::function<void(CRun&)>;
// Plays the steps until a fatal failure; then ends the processes still running.
void Play(const std::vector<Step>& steps);
Step Steps(std::vector<Step> steps);  // several steps as one
// What a person sees now: the wizard, else the launcher, then the open box.
std::vector<CWindow> InView(const CRun& run);

// A message box as it must read; empty fields are not checked.
struct BoxIs {
  std::wstring text, caption;
  std::vector<int> buttons;  // left to right
  int defaultButton = 0;
};

// A fixture's product as its package says, and where the product puts it.
const SetupInfo& Product(const std::wstring& fixture);
std::wstring DefaultFolder(const std::wstring& fixture);  // Program Files\<maker>\<title>
// Its keys below HKEY_LOCAL_MACHINE: the install record, the Apps & features entry.
inline std::wstring RecordKey(const std::wstring& f) { return InstallRecordKeyPath(Product(f)); }
inline std::wstring EntryKey(const std::wstring& f) {
  return UninstallEntryKeyPath(UninstallEntryKeyName(Product(f)));
}
std::wstring DesktopLink(const std::wstring& fixture, LinkOwner owner = LinkOwner::kAllUsers);
// A link in its menu folder: caption's, or without one the game's.
std::wstring MenuLink(const std::wstring& fixture, const std::wstring& caption = {},
                      LinkOwner owner = LinkOwner::kAllUsers);
std::uint64_t ListedBytes(const std::wstring& fixture);  // its files' sizes on its discs

// Arranging. Paths on the disc are Q:\... while it is in the drive.
Step Insert(const std::wstring& fixture, const std::wstring& label = L"DISC1",
            wchar_t drive = L'q');  // copied once per scenario and drive
Step CopyDisc(const std::wstring& fixture, const std::wstring& folder,
              bool withSetup = true);  // its DISC1
Step CopyTo(const std::wstring& from, const std::wstring& to);
Step Write(const std::wstring& path, const std::string& bytes);
Step Delete(const std::wstring& path);
Step MakeFolder(const std::wstring& path);
Step RemoveFolder(const std::wstring& path);
Step ReadOnly(const std::wstring& path);
Step RegString(const std::wstring& key, const std::wstring& name,
               const std::wstring& data);   // below HKEY_LOCAL_MACHINE
Step Flip(const std::wstring& path);        // one bit of its middle byte: the size stays
Step WriteLarge(const std::wstring& path);  // long enough to press Cancel during its copy
Step SetRecord(const std::wstring& fixture, const std::wstring& folder);  // "": none
Step LockMaker(const std::wstring& fixture);  // no record can be written below its maker's key
Step Opener();                                // e2e_opener.exe opens .txt documents
Step Hold(const std::wstring& path);          // open, so that it cannot be deleted
Step Release();
// Damages the package in the drive: a member no longer found; one not
// beginning with "BM"; a text replaced by one as long in code page 932.
Step Drop(const std::string& member);
Step NotBitmap(const std::string& member);
Step Replace(const std::string& member, const std::wstring& from, const std::wstring& to);
// Lists sizes in the package in the drive: folder's free space plus extra.
Step ListFreeSpace(const std::wstring& folder, std::uint64_t extra);

// Acting.
Step Start(const std::wstring& program, const std::wstring& fixture,
           const std::wstring& arguments = {});
Step Spawn(const std::wstring& program, const std::wstring& arguments = {});  // no launcher
Step Click(int id);  // on the wizard while one is open, else on the launcher
Step Cancel(int presses = 1);
Step Next();
Step Finish();  // and the wizard closes
Step Page(int index);  // the wizard, in a process the launcher (if any) started
Step Type(const std::wstring& folder);
Step Box(const BoxIs& expected, int answer);  // owned by its process's wizard or launcher
Step Answer(int id);
Step Key(UINT virtualKey);  // to the open box, else to the wizard or launcher
Step CloseBox();            // the launcher's close box
Step Close();               // the launcher with Esc, and its process ends
Step Gone();                // the launcher is gone and its process ended
Step SheetGone();
Step StealFocus();

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
Step Launchers(const std::wstring& fixture, std::size_t count);  // open, the started one among them
Step Foreground();
Step ShownBy(const std::wstring& folder, const std::wstring& image = {});  // "": a run copy
Step RunCopies(const std::wstring& fixture, std::size_t count);  // in %TEMP%, each alone
Step Exited(DWORD code);  // what Spawn started
Step Marker(const std::wstring& path, const std::wstring& exe = {},
            const std::wstring& folder = {}, bool byLauncher = false);
Step Opened(const std::wstring& path = {});
Step Exists(const std::wstring& path, bool exists);  // a file or a folder
Step Files(const std::wstring& folder, const std::wstring& source,
           const std::vector<std::wstring>& names);  // bytes, times
Step Bytes(const std::wstring& path, const std::wstring& source);
Step Listed(const std::wstring& folder, const std::vector<std::wstring>& names);
Step RecordIs(const std::wstring& fixture, const std::wstring& folder);  // "": none
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
Step LogHas(const std::wstring& fixture, const std::wstring& text);  // %TEMP%\setup_<title>.log
// A value under HKEY_LOCAL_MACHINE\key: REG_SZ as it is, REG_DWORD in
// decimal, REG_MULTI_SZ its strings joined by '|'; "" when there is none.
Step RegValue(const std::wstring& key, const std::wstring& name, const std::wstring& value);

// Screen scale: the DPI (96 = 100 %) that programs started from now on read;
// control id of the wizard's page, else of the launcher, is times base in
// pixels within 3 % (an empty base takes the size).
Step Dpi(DWORD dpi);
Step Sized(int id, SIZE& base, double times);

}  // namespace e2e
