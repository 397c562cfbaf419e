#include "Steps.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>

#include "Process.h"
#include "install/InstallFolder.h"
#include "install/RunCopy.h"
#include "package/Members.h"
#include "package/PackageFile.h"
#include "package/PackageWriter.h"
#include "res/Texts.h"
#include "text/Cp932Encoder.h"
#include "text/Utf8.h"
#include "win/Handles.h"

namespace e2e {

namespace {

using testing::PrintToString;

struct CLaunch {
  CProcess started;  // the process the step started
  CProcess shown;    // the one whose window it is
  CWindow window;
};

// The same bytes and the same last-write time.
testing::AssertionResult SameFile(const std::wstring& path, const std::wstring& source) {
  WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a) ||
      !::GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &b))
    return testing::AssertionFailure() << "unreadable";
  if (::CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) != 0)
    return testing::AssertionFailure() << "last-write times differ";
  std::ifstream fa(std::filesystem::path(path), std::ios::binary),
      fb(std::filesystem::path(source), std::ios::binary);
  if (!fa || !fb ||
      !std::equal(std::istreambuf_iterator<char>(fa), {}, std::istreambuf_iterator<char>(fb), {}))
    return testing::AssertionFailure() << "contents differ";
  return testing::AssertionSuccess();
}

// Rewrites the package in the drive member by member with the product's
// reader and writer; change gets the member whose name matches (ignoring
// case, as the launcher looks it up).
Step ChangePackage(const std::string& member, std::function<void(PackageMember&)> change) {
  return [=](CRun&) {
    const std::vector<char> bytes = ReadAll(L"Q:\\setup").value_or(std::vector<char>());
    CPackageFile package;
    ASSERT_TRUE(package.OpenPackage(bytes.data(), bytes.size()));
    std::vector<PackageMember> members;
    for (const PackageEntry& entry : package.Entries())
      members.push_back({entry.name, package.LoadMember(entry.name).value_or(std::vector<char>())});
    const auto found = std::find_if(members.begin(), members.end(), [&](const PackageMember& m) {
      return ::lstrcmpiA(m.name.c_str(), member.c_str()) == 0;
    });
    ASSERT_NE(found, members.end()) << "no member " << member;
    change(*found);
    const std::optional<std::vector<char>> changed = BuildPackage(members);
    ASSERT_TRUE(changed && WriteFileBytes(L"Q:\\setup", {changed->begin(), changed->end()}));
  };
}

// What only asks the system: the scenario ends when it refuses.
Step Must(std::function<bool()> done) {
  return [=](CRun&) { ASSERT_TRUE(done()); };
}

}  // namespace

struct CRun {
  std::map<std::wstring, CDisc> discs;
  std::vector<CLaunch> launchers;
  CProcess started;  // by Spawn
  CWindow sheet;
  std::optional<CMessageBox> box;
  std::vector<win::UniqueFile> held;
  win::UniqueKey maker;
  // A window of the driver's own, to take the foreground away.
  std::unique_ptr<std::remove_pointer_t<HWND>, BOOL(WINAPI*)(HWND)> thief{nullptr, ::DestroyWindow};
  ULARGE_INTEGER free{};
  std::wstring freeFolder;

  CWindow Launcher() const { return launchers.empty() ? CWindow() : launchers.back().window; }
  CWindow Top() const { return sheet.IsVisible() ? sheet : Launcher(); }
  // The wizard's process asks; so may a process the launcher started (the
  // removal), or a copy the program started: any process, then.
  DWORD Pid() const { return sheet.IsVisible() ? sheet.ProcessId() : 0; }
};

static void PlayIn(CRun& run, const std::vector<Step>& steps) {
  for (std::size_t i = 0; i < steps.size() && !testing::Test::HasFatalFailure(); ++i) {
    SCOPED_TRACE(testing::Message() << "step " << i + 1);
    steps[i](run);
  }
  // Whatever the scenario did, no program loaded the DLL planted beside it.
  EXPECT_EQ(PlantedDllLoads(), L"");
}
void Play(const std::vector<Step>& steps) {
  CRun run;
  PlayIn(run, steps);
}
Step Steps(std::vector<Step> steps) {
  return [=](CRun& run) { PlayIn(run, steps); };
}
std::vector<CWindow> InView(const CRun& run) {
  std::vector<CWindow> shown;
  if (run.Top()) shown.push_back(run.Top());
  if (run.box) shown.push_back(run.box->window);
  return shown;
}

const SetupInfo& Product(const std::wstring& fixture) {
  static std::map<std::wstring, SetupInfo> s_read;
  SetupInfo& info = s_read[fixture];
  CPackageFile package;
  if (info.title.empty() &&
      (!package.OpenPackage(JoinPath(FixtureDisc(fixture, L"DISC1"), kPackageFileName)) ||
       !LoadSettings(package, info)))
    ADD_FAILURE() << "no product in fixture " << PrintToString(fixture);
  return info;
}
std::wstring DefaultFolder(const std::wstring& fixture) {
  return DefaultInstallFolder(GetSpecialFolderPath(CSIDL_PROGRAM_FILES), Product(fixture));
}
// ProductLinks lists the desktop link first, then the game's in the menu folder.
std::wstring DesktopLink(const std::wstring& fixture, LinkOwner owner) {
  const ProductLink link = ProductLinks(Product(fixture), {}, owner).front();
  return GetSpecialFolderPath(link.csidl) + link.link;
}
std::wstring MenuLink(const std::wstring& fixture, const std::wstring& caption, LinkOwner owner) {
  const ProductLink game = ProductLinks(Product(fixture), {}, owner).at(1);
  return GetSpecialFolderPath(game.csidl) +
         (caption.empty() ? game.link
                          : *text::ParentFolderOf(game.link) + L"\\" + caption + L".lnk");
}
std::uint64_t ListedBytes(const std::wstring& fixture) {
  std::uint64_t bytes = 0;
  for (const FileEntry& file : Product(fixture).files) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(JoinPath(FixtureDisc(fixture, file.disc), file.name).c_str(),
                               GetFileExInfoStandard, &data))
      bytes += data.nFileSizeLow;
  }
  return bytes;
}

// Arranging.

Step Insert(const std::wstring& fixture, const std::wstring& label, wchar_t drive) {
  return [=](CRun& run) {
    CDisc& disc = run.discs[fixture + L"/" + label + drive];
    if (!disc) disc = PrepareDisc(fixture, label);
    ASSERT_TRUE(InsertDisc(disc, drive));
  };
}
Step CopyDisc(const std::wstring& fixture, const std::wstring& folder, bool withSetup) {
  return Must([=] { return CopyFixtureDisc(fixture, L"DISC1", folder, withSetup); });
}
Step CopyTo(const std::wstring& from, const std::wstring& to) {
  return Must([=] { return CreateDirectoryChain(to), ::CopyFileW(from.c_str(), to.c_str(), 0); });
}
Step Write(const std::wstring& path, const std::string& bytes) {
  return Must([=] { return WriteFileBytes(path, bytes); });
}
Step Delete(const std::wstring& path) {
  return Must([=] { return ::DeleteFileW(path.c_str()); });
}
Step MakeFolder(const std::wstring& path) {
  return Must([=] { return CreateDirectoryChain(path + L"\\"), FolderExists(path); });
}
Step RemoveFolder(const std::wstring& path) {
  return Must([=] {
    // Its files go with it: the temporary folder holds the planted DLL.
    for (const std::wstring& file : ListFiles(path)) (void)::DeleteFileW(JoinPath(path, file).c_str());
    return ::RemoveDirectoryW(path.c_str());
  });
}
Step ReadOnly(const std::wstring& path) {
  return Must([=] { return ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY); });
}
Step RegString(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
  return Must([=] { return WriteRegString(HKEY_LOCAL_MACHINE, key, name.c_str(), data) == 0; });
}
Step Flip(const std::wstring& path) {
  return [=](CRun&) {
    std::optional<std::vector<char>> bytes = ReadAll(path);
    ASSERT_TRUE(bytes && !bytes->empty());
    (*bytes)[bytes->size() / 2] ^= 0x01;
    ASSERT_TRUE(WriteFileBytes(path, {bytes->begin(), bytes->end()}));
  };
}
Step WriteLarge(const std::wstring& path) {
  return Must([=] {
    std::string bytes(384u << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); i += 4096) bytes[i] = static_cast<char>(i >> 12);
    return WriteFileBytes(path, bytes);
  });
}
Step SetRecord(const std::wstring& fixture, const std::wstring& folder) {
  return Must([=] {
    return DeleteRegTree(HKEY_LOCAL_MACHINE, RecordKey(fixture)) &&
           (folder.empty() || WriteRegString(HKEY_LOCAL_MACHINE, RecordKey(fixture),
                                             kInstallRecordValue, folder) == ERROR_SUCCESS);
  });
}
Step LockMaker(const std::wstring& fixture) {
  return [=](CRun& run) {
    const std::wstring key = *text::ParentFolderOf(RecordKey(fixture));
    ASSERT_TRUE(DeleteRegTree(HKEY_LOCAL_MACHINE, key));
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, run.maker.put(), nullptr),
              ERROR_SUCCESS);
  };
}
Step Opener() {
  return Must([] { return RegisterDocumentOpener(L".txt"); });
}
Step Hold(const std::wstring& path) {
  return [=](CRun& run) {
    run.held.emplace_back(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(run.held.back());
  };
}
Step Release() {
  return [](CRun& run) { run.held.clear(); };
}
Step Drop(const std::string& member) {
  return ChangePackage(member, [](PackageMember& m) { m.name.back() = '_'; });
}
Step NotBitmap(const std::string& member) {
  return ChangePackage(member, [](PackageMember& m) { m.data[0] = m.data[1] = 'X'; });
}
Step Replace(const std::string& member, const std::wstring& from, const std::wstring& to) {
  return ChangePackage(member, [=](PackageMember& m) {
    const std::string was = EncodeCp932(from).value_or(""), now = EncodeCp932(to).value_or("");
    std::string text(m.data.begin(), m.data.end());
    const std::size_t found = text.find(was);
    ASSERT_TRUE(found != std::string::npos && !was.empty() && now.size() == was.size());
    m.data.assign(text.begin(), text.replace(found, was.size(), now).end());
  });
}
Step ListFreeSpace(const std::wstring& folder, std::uint64_t extra) {
  return [=](CRun& run) {
    ASSERT_TRUE(::GetDiskFreeSpaceExW(folder.c_str(), &run.free, nullptr, nullptr));
    run.freeFolder = folder;
    ChangePackage(kSizesMember, [left = run.free.QuadPart + extra](PackageMember& m) mutable {
      SetupInfo info;  // the sizes alone, each up to 4 GiB - 1
      info.files.resize(m.data.size() / kFileSizeBytes);
      for (FileEntry& file : info.files)
        left -= file.size = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, 0xFFFFFFFFu));
      m.data = EncodeFileSizes(info);
      ASSERT_EQ(left, 0u) << "more free space than the listed files can add up to";
    })(run);
  };
}

// Acting.

Step Start(const std::wstring& program, const std::wstring& fixture,
           const std::wstring& arguments) {
  return [=](CRun& run) {
    CLaunch launch{CProcess::Start(program, arguments), {}, {}};
    ASSERT_TRUE(launch.started);
    // A multi-disc start shows the launcher from a relaunched copy.
    launch.window = WaitWindow(ui::LauncherCaption(Product(fixture).title), 0, IDC_README);
    ASSERT_TRUE(launch.window) << "the started process: exit code " << launch.started.ExitCode();
    EXPECT_EQ(launch.window.ClassName(), L"#32770");
    launch.shown = CProcess::Attach(launch.window.ProcessId());
    run.launchers.push_back(std::move(launch));
  };
}
Step Spawn(const std::wstring& program, const std::wstring& arguments) {
  return [=](CRun& run) { ASSERT_TRUE(run.started = CProcess::Start(program, arguments)); };
}
Step Click(int id) {
  return
      [=](CRun& run) { ASSERT_TRUE(run.Top().Click(id)) << "button " << id << " is not usable"; };
}
Step Cancel(int presses) {
  return [=](CRun& run) {
    ASSERT_TRUE(run.sheet.Click(IDCANCEL));
    // The question disables the sheet: later presses may find it so.
    for (int i = 1; i < presses; ++i) (void)run.sheet.Click(IDCANCEL, 0);
  };
}
Step Next() { return Click(kNext); }
Step Finish() {
  return [](CRun& run) {
    ASSERT_TRUE(run.sheet.Click(kFinish));
    SheetGone()(run);
  };
}
Step Page(int index) {
  return [=](CRun& run) {
    if (!run.sheet.Exists()) {
      run.sheet = WaitWindow(ui::kInstallCaption, 0, kNext);
      ASSERT_TRUE(run.sheet) << "no wizard";
      // Started from the launcher, the wizard runs in a process of its own.
      const DWORD launcher = run.Launcher() ? run.Launcher().ProcessId() : 0;
      const bool spawned = run.started && run.sheet.ProcessId() == run.started.Id();
      EXPECT_TRUE(!launcher || spawned || (run.sheet.ProcessId() != launcher &&
                                ParentProcessId(run.sheet.ProcessId()) == launcher))
          << "the wizard's process was not started by the launcher's";
    }
    ASSERT_TRUE(WaitPage(run.sheet, index))
        << "page " << PageIndex(run.sheet) << " instead of " << index;
  };
}
Step Type(const std::wstring& folder) {
  return [=](CRun& run) { ASSERT_TRUE(TypeFolder(run.sheet, folder)); };
}
Step Box(const BoxIs& expected, int answer) {
  return [=](CRun& run) {
    const CWindow owner = run.Top();
    run.box = WaitMessageBox(run.Pid());
    ASSERT_TRUE(run.box) << "no message box";
    EXPECT_TRUE(expected.text.empty() || run.box->text == expected.text)
        << PrintToString(run.box->text) << " instead of " << PrintToString(expected.text);
    EXPECT_TRUE(expected.caption.empty() || run.box->caption == expected.caption)
        << PrintToString(run.box->caption) << " instead of " << PrintToString(expected.caption);
    EXPECT_TRUE(expected.buttons.empty() || run.box->buttons == expected.buttons)
        << PrintToString(run.box->buttons);
    EXPECT_TRUE(!expected.defaultButton || run.box->defaultButton == expected.defaultButton)
        << run.box->defaultButton;
    // A process of its own has no window of the launcher's to own its box.
    EXPECT_TRUE(!owner || owner.ProcessId() != run.box->window.ProcessId() ||
                run.box->owner == owner.Handle())
        << "owned by another window";
    if (answer != kKeep) Answer(answer)(run);
  };
}
Step Answer(int id) {
  return [=](CRun& run) {
    ASSERT_TRUE(run.box && run.box->Answer(id));
    run.box.reset();
  };
}
Step Key(UINT virtualKey) {
  return [=](CRun& run) {
    ASSERT_TRUE(run.box ? run.box->window.PressKey(virtualKey) && run.box->window.WaitGone()
                        : run.Top().PressKey(virtualKey));
    run.box.reset();
  };
}
Step CloseBox() {
  return [](CRun& run) { ASSERT_TRUE(run.Launcher().Close()); };
}
Step Gone() {
  return [](CRun& run) {
    ASSERT_FALSE(run.launchers.empty());
    EXPECT_TRUE(run.Launcher().WaitGone());
    EXPECT_TRUE(run.launchers.back().shown.WaitExit());
    run.launchers.pop_back();
  };
}
Step Close() {
  return [](CRun& run) {
    // Just after it appeared, or after a modal loop, it may not take keys yet.
    ASSERT_TRUE(
        WaitUntil([&] { return run.Launcher().IsVisible() && run.Launcher().IsEnabled(); }));
    ASSERT_TRUE(run.Launcher().PressKey(VK_ESCAPE));
    Gone()(run);
  };
}
Step SheetGone() {
  return [](CRun& run) {
    ASSERT_TRUE(run.sheet.WaitGone());
    run.sheet = CWindow();
  };
}
Step StealFocus() {
  return [](CRun& run) {
    run.thief.reset(::CreateWindowExW(0, L"STATIC", L"e2e foreground",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                      nullptr, nullptr, nullptr));
    ASSERT_TRUE(run.thief && ::SetForegroundWindow(run.thief.get()));
    EXPECT_NE(::GetForegroundWindow(), run.Launcher().Handle());
  };
}
// Checking. A state that the program posts may come a moment late: each
// check waits for it before it reports.

Step Text(int id, const std::wstring& text) {
  return [=](CRun& run) {
    WaitUntil([&] { return run.Top().ControlText(id) == text; });
    EXPECT_EQ(run.Top().ControlText(id), text) << "control " << id;
  };
}
Step PageText(int id, const std::wstring& text, bool whole) {
  return [=](CRun& run) {
    const auto read = [&] { return WizardPage(run.sheet).ControlText(id); };
    const auto match = [&] {
      return whole ? read() == text : read().find(text) != std::wstring::npos;
    };
    EXPECT_TRUE(WaitUntil(match)) << PrintToString(read()) << (whole ? " is not " : " lacks ")
                                  << PrintToString(text);
  };
}
// Each control's state, waited for.
static Step Controls(const std::vector<int>& ids, std::function<bool(const CWindow&, int)> state) {
  return [=](CRun& run) {
    for (const int id : ids)
      EXPECT_TRUE(WaitUntil([&] { return state(run.Top(), id); })) << "control " << id;
  };
}
Step Enabled(const std::vector<int>& ids, bool enabled) {
  return Controls(ids, [=](const CWindow& w, int id) { return w.ControlEnabled(id) == enabled; });
}
Step Visible(const std::vector<int>& ids, bool visible) {
  return Controls(ids, [=](const CWindow& w, int id) { return w.ControlVisible(id) == visible; });
}
Step NotDefault(const std::vector<int>& ids) {
  return Controls(ids, [](const CWindow& w, int id) {
    return (w.ControlStyle(id) & BS_TYPEMASK) != BS_DEFPUSHBUTTON;
  });
}
Step Picture(bool shown) {
  return [=](CRun& run) {
    const CWindow window = run.sheet.IsVisible() ? WizardPage(run.sheet) : run.Launcher();
    EXPECT_EQ(window.ControlStyle(IDC_PICTURE) & SS_TYPEMASK, SS_BITMAP);
    EXPECT_TRUE(window.ControlVisible(IDC_PICTURE));
    EXPECT_EQ(window.Send(IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP).value_or(0) != 0, shown);
  };
}
Step Usable(bool enabled) {
  return [=](CRun& run) {
    EXPECT_TRUE(WaitUntil([&] { return run.Launcher().IsEnabled() == enabled; }));
  };
}
Step StaysOpen() {
  return [](CRun& run) { EXPECT_TRUE(run.Top().StaysOpen()); };
}
Step NoBox() {
  return [](CRun& run) { EXPECT_TRUE(MessageBoxes(run.Pid()).empty()); };
}
Step Launchers(const std::wstring& fixture, std::size_t count) {
  return [=](CRun& run) {
    const std::vector<CWindow> found = FindWindows(ui::LauncherCaption(Product(fixture).title));
    ASSERT_EQ(found.size(), count);
    EXPECT_TRUE(count != 1 || !run.Launcher() || found.front().Handle() == run.Launcher().Handle());
  };
}
Step Foreground() {
  return [](CRun& run) {
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == run.Launcher().Handle(); }));
  };
}
Step ShownBy(const std::wstring& folder, const std::wstring& image) {
  return [=](CRun& run) {
    const CLaunch& launch = run.launchers.back();
    const std::wstring path = launch.shown.ImagePath();
    const bool relaunched = image.empty();
    EXPECT_TRUE(relaunched ? IsRunCopy(path, TempFolder()) : SameFolder(path, image))
        << PrintToString(path);
    // Compared whole: a drive root must reach the program as Q:\, not Q:.
    const std::wstring current = launch.shown.CurrentDirectory(),
                       expected = text::WithTrailingBackslash(folder);
    EXPECT_EQ(::CompareStringOrdinal(current.c_str(), -1, expected.c_str(), -1, TRUE), CSTR_EQUAL)
        << PrintToString(current);
    EXPECT_EQ(launch.window.ProcessId() != launch.started.Id(), relaunched);
    // The started process shows nothing itself: it ends once the copy is up.
    EXPECT_TRUE(!relaunched || (launch.started.WaitExit() && launch.started.ExitCode() == 0));
  };
}
Step RunCopies(const std::wstring& fixture, std::size_t count) {
  return [=](CRun&) {
    std::vector<std::wstring> folders;
    // A run's end may remove its copy a moment after the step before.
    ASSERT_TRUE(WaitUntil([&] { return (folders = RunFoldersIn(TempFolder())).size() == count; }))
        << PrintToString(folders);
    for (const std::wstring& folder : folders) {
      const std::wstring name = TempProgramName(folder, Product(fixture).title);
      EXPECT_EQ(ListFiles(folder), std::vector{name});  // alone in its folder
      EXPECT_TRUE(ReadAll(folder + name) == ReadAll(SetupProgram()));
    }
  };
}
Step Exited(DWORD code) {
  return [=](CRun& run) {
    EXPECT_TRUE(run.started.WaitExit());
    EXPECT_EQ(run.started.ExitCode(), code);
  };
}
Step Marker(const std::wstring& path, const std::wstring& exe, const std::wstring& folder,
            bool byLauncher) {
  return [=](CRun& run) {
    const std::map<std::wstring, std::wstring> marker = WaitRecord(path);
    ASSERT_TRUE(marker.count(L"exe")) << PrintToString(path) << " was not written";
    EXPECT_TRUE(exe.empty() || SameFolder(marker.at(L"exe"), exe))
        << PrintToString(marker.at(L"exe"));
    EXPECT_TRUE(folder.empty() || SameFolder(marker.at(L"cwd"), folder))
        << PrintToString(marker.at(L"cwd"));
    // Started by the launcher itself, so that it runs as the launcher's user.
    EXPECT_TRUE(!byLauncher || (run.Launcher() && marker.count(L"parent") &&
                                marker.at(L"parent") ==
                                    std::to_wstring(run.Launcher().ProcessId())));
  };
}
Step Opened(const std::wstring& path) {
  return [=](CRun&) {
    static int s_opened = 0;  // reports taken, by every Play of the scenario
    const std::map<std::wstring, std::wstring> record = WaitRecord(OpenedRecord(s_opened + 1));
    ASSERT_TRUE(record.count(L"file")) << "no document opened";
    ++s_opened;
    const std::wstring& file = record.at(L"file");
    const std::wstring opened =
        text::IsFullFolderPath(file) ? file : JoinPath(record.at(L"cwd"), file);
    EXPECT_TRUE(path.empty() || SameFolder(opened, path)) << PrintToString(opened);
  };
}
Step Exists(const std::wstring& path, bool exists) {
  return [=](CRun&) {
    // Waits for what must come; what must not be there is checked at once.
    EXPECT_EQ(exists ? WaitUntil([&] { return FileAttributes(path).has_value(); })
                     : FileAttributes(path).has_value(),
              exists)
        << PrintToString(path);
  };
}
Step Files(const std::wstring& folder, const std::wstring& source,
           const std::vector<std::wstring>& names) {
  return [=](CRun&) {
    for (const std::wstring& name : names) {
      EXPECT_TRUE(SameFile(JoinPath(folder, name), JoinPath(source, name))) << PrintToString(name);
    }
  };
}
Step Bytes(const std::wstring& path, const std::wstring& source) {
  return [=](CRun&) { EXPECT_TRUE(ReadAll(path) == ReadAll(source)) << PrintToString(path); };
}
Step Listed(const std::wstring& folder, const std::vector<std::wstring>& names) {
  return [=](CRun&) { EXPECT_EQ(ListFiles(folder), names); };
}
Step RecordIs(const std::wstring& fixture, const std::wstring& folder) {
  return [=](CRun&) {
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RecordKey(fixture), kInstallRecordValue, L""),
              folder);
  };
}
Step RegKey(const std::wstring& key, bool exists) {
  return [=](CRun&) {
    win::UniqueKey opened;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.put()) == 0,
              exists)
        << PrintToString(key);
  };
}
Step Link(const std::wstring& link, const std::wstring& target, const std::wstring& folder) {
  return [=](CRun&) {
    const std::optional<CShortcut> shortcut = ReadShortcut(link);
    ASSERT_TRUE(shortcut) << PrintToString(link);
    EXPECT_TRUE(SameFolder(shortcut->target, target)) << PrintToString(shortcut->target);
    EXPECT_TRUE(folder.empty() || SameFolder(shortcut->workingFolder, folder))
        << PrintToString(shortcut->workingFolder);
  };
}
Step Installed(bool installed) {
  // The buttons follow only once the wizard or the removal has returned.
  return Steps(
      {Enabled({IDC_INSTALL}, !installed), Enabled({IDC_START_GAME, IDC_UNINSTALL}, installed)});
}
Step Rises() {
  return [](CRun& run) {
    const CWindow copyPage = WizardPage(run.sheet, 1);
    std::vector<LRESULT> positions;
    ASSERT_TRUE(WaitUntil([&] {
      positions.push_back(copyPage.Send(IDC_PROGRESS, PBM_GETPOS).value_or(-1));
      return PageIndex(run.sheet) == 2;
    }));
    positions.push_back(copyPage.Send(IDC_PROGRESS, PBM_GETPOS).value_or(-1));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << PrintToString(positions);
    EXPECT_EQ(positions.back(), 100);
  };
}
Step FreeUnchanged() {
  return [](CRun& run) {
    ULARGE_INTEGER now{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(run.freeFolder.c_str(), &now, nullptr, nullptr));
    EXPECT_EQ(now.QuadPart, run.free.QuadPart);
  };
}

// Unattended runs.

Step CopySet(const std::wstring& fixture, const std::wstring& folder,
             const std::vector<std::wstring>& labels) {
  return [=](CRun&) {
    for (const std::wstring& label : labels) {
      ASSERT_TRUE(CopyFixtureDisc(fixture, label, JoinPath(folder, label), label == labels.front()))
          << PrintToString(label);
    }
  };
}
Step Silent(const std::wstring& program, const std::wstring& arguments, DWORD exitCode) {
  return [=](CRun& run) {
    Spawn(program, arguments)(run);
    // A box would wait for an answer that never comes; any other window is
    // seen while it lasts longer than a poll.
    const DWORD id = run.started.Id();
    std::vector<CWindow> shown;
    EXPECT_TRUE(WaitUntil([&] {
      if (shown.empty()) shown = FindWindows(L"", id);
      return run.started.WaitExit(0);
    })) << "still running";
    EXPECT_TRUE(shown.empty()) << "a window: " << PrintToString(shown.front().Text());
    EXPECT_EQ(run.started.ExitCode(), exitCode);
  };
}
Step LogHas(const std::wstring& fixture, const std::wstring& text) {
  return [=](CRun&) {
    const std::vector<char> bytes =
        ReadAll(TempFolder() + LogFileName(TempFolder(), Product(fixture).title))
            .value_or(std::vector<char>());
    const std::string log(bytes.begin(), bytes.end()), utf8 = text::ToUtf8(text);
    EXPECT_NE(log.find(utf8), std::string::npos) << "the log lacks " << utf8 << ":\n" << log;
  };
}
Step RegValue(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  return [=](CRun&) {
    std::wstring found(4096, L'\0');
    DWORD type = REG_NONE, size = static_cast<DWORD>(found.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_ANY, &type,
                       found.data(), &size) != ERROR_SUCCESS)
      size = 0;
    found.resize(size / sizeof(wchar_t));
    if (type == REG_DWORD) found = std::to_wstring(*reinterpret_cast<const DWORD*>(found.data()));
    while (!found.empty() && found.back() == L'\0') found.pop_back();
    std::replace(found.begin(), found.end(), L'\0', L'|');
    EXPECT_EQ(found, value) << PrintToString(name);
  };
}
// Screen scale.

Step Dpi(DWORD dpi) {
  // Wine reads both when a program starts.
  return Must([=] {
    return !::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels",
                              REG_DWORD, &dpi, sizeof dpi) &&
           !::RegSetKeyValueW(HKEY_LOCAL_MACHINE,
                              L"System\\CurrentControlSet\\Hardware Profiles\\Current\\"
                              L"Software\\Fonts", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  });
}
Step Sized(int id, SIZE& base, double times) {
  return [=, &base](CRun& run) {
    const CWindow window = run.sheet.IsVisible() ? WizardPage(run.sheet) : run.Launcher();
    RECT rect{};
    ASSERT_TRUE(::GetWindowRect(window.Control(id), &rect));
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    if (!base.cx) base = size;
    EXPECT_NEAR(size.cx, base.cx * times, base.cx * times * 0.03) << "width of control " << id;
    EXPECT_NEAR(size.cy, base.cy * times, base.cy * times * 0.03) << "height of control " << id;
  };
}

}  // namespace e2e
