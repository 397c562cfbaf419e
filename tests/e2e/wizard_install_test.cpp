// The install wizard worked from outside: the destination page, the copy
// from one and two discs, Cancel during the copy, failures, and what an
// installation leaves behind.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "Driver.h"
#include "Wizard.h"

namespace e2e {
namespace {

std::optional<FILETIME> LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return data.ftLastWriteTime;
}

// The same bytes and the same last-write time.
// Compared a MiB at a time: the large files are beyond ReadFileBytes.
std::optional<bool> SameBytes(const std::wstring& a, const std::wstring& b) {
  const win::UniqueFile fa(::CreateFileW(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  const win::UniqueFile fb(::CreateFileW(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!fa || !fb) return std::nullopt;
  std::string ba(1 << 20, '\0'), bb(1 << 20, '\0');
  for (;;) {
    DWORD ra = 0, rb = 0;
    if (!::ReadFile(fa.get(), ba.data(), 1 << 20, &ra, nullptr) || !::ReadFile(fb.get(), bb.data(), 1 << 20, &rb, nullptr))
      return std::nullopt;
    if (ra != rb || ba.compare(0, ra, bb, 0, rb) != 0) return false;
    if (ra == 0) return true;
  }
}

testing::AssertionResult SameFile(const std::wstring& installed, const std::wstring& source) {
  const std::optional<bool> same = SameBytes(installed, source);
  if (!same) return testing::AssertionFailure() << "unreadable";
  if (!*same) return testing::AssertionFailure() << "contents differ";
  const auto ta = LastWrite(installed), tb = LastWrite(source);
  if (!ta || !tb || ::CompareFileTime(&*ta, &*tb) != 0) {
    return testing::AssertionFailure() << "last-write times differ: "
                                       << (ta ? ta->dwHighDateTime : 0) << ":" << (ta ? ta->dwLowDateTime : 0) << " and "
                                       << (tb ? tb->dwHighDateTime : 0) << ":" << (tb ? tb->dwLowDateTime : 0);
  }
  return testing::AssertionSuccess();
}

TEST(WizardInstall, TwoDiscsWithADiscSwapInstallFilesLinksAndRecord) {
  const std::wstring title = L"星の旅人 完全版";
  CInstallRun run = OpenWizard(L"multi", title);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  const CDisc disc2 = PrepareDisc(L"multi", L"DISC2");
  ASSERT_TRUE(disc2);

  CWizard wizard(run.processId);
  ASSERT_TRUE(wizard) << DescribeWindows();
  ASSERT_TRUE(wizard.WaitPage(0));
  const std::wstring folder = DefaultFolder(title);
  EXPECT_EQ(wizard.Folder(), folder);
  EXPECT_FALSE(wizard.Sheet().ControlEnabled(kBack));
  ASSERT_TRUE(wizard.Click(kNext));

  // The second disc's files are not on the first: the worker asks for it.
  std::optional<CMessageBox> box = WaitMessageBox(run.processId);
  ASSERT_TRUE(box) << DescribeWindows();
  EXPECT_EQ(box->text, L"DISC2を挿入してください。");
  EXPECT_EQ(box->caption, kWizardCaption);
  EXPECT_EQ(box->buttons, (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_EQ(box->owner.Handle(), wizard.Sheet().Handle());
  EXPECT_FALSE(wizard.Sheet().ControlEnabled(kNext));
  ASSERT_TRUE(InsertDisc(disc2));
  ASSERT_TRUE(box->Answer(IDOK));

  ASSERT_TRUE(wizard.WaitPage(2)) << DescribeWindows();
  EXPECT_EQ(wizard.Sheet().ControlText(kFinish), L"完了");
  EXPECT_FALSE(wizard.Sheet().ControlVisible(kBack));
  EXPECT_FALSE(wizard.Sheet().ControlVisible(kNext));
  ASSERT_TRUE(wizard.Click(kFinish));
  ASSERT_TRUE(wizard.Sheet().WaitGone());

  const std::wstring installed = folder + L"\\";
  struct Installed {
    const wchar_t* name;
    const wchar_t* disc;
  } const files[] = {{L"game.exe", L"DISC1"},       {L"readme.txt", L"DISC1"},
                     {L"data\\stage1.dat", L"DISC1"}, {L"data\\stage2.dat", L"DISC2"},
                     {L"bgm\\テーマ曲.dat", L"DISC2"}};
  for (const Installed& file : files) {
    EXPECT_TRUE(SameFile(installed + file.name, JoinPath(FixtureDisc(L"multi", file.disc), file.name)))
        << testing::PrintToString(std::wstring(file.name));
  }
  EXPECT_EQ(ReadInstallRecord(kMaker, title), installed);
  for (const std::wstring& link : {DesktopLink(title), MenuLink(title, title)}) {
    const std::optional<CShortcut> shortcut = ReadShortcut(link);
    ASSERT_TRUE(shortcut) << testing::PrintToString(link);
    EXPECT_TRUE(SamePath(shortcut->target, installed + L"game.exe")) << testing::PrintToString(shortcut->target);
    EXPECT_TRUE(SamePath(shortcut->workingFolder, folder)) << testing::PrintToString(shortcut->workingFolder);
  }
  // The launcher now offers Start and Uninstall instead of Install.
  EXPECT_TRUE(WaitButtonsShowInstalled(run.launcher.window, true));
  EXPECT_TRUE(CloseLauncher(run.launcher.window));
}

TEST(WizardDestination, TextsShortageCancelAndAFreshDefaultEachTime) {
  const std::wstring title = L"星の旅人";
  CInstallRun run = OpenWizard(L"single", title);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  {
    CWizard wizard(run.processId);
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(wizard.WaitPage(0));
    EXPECT_EQ(wizard.Sheet().Text(), kWizardCaption);
    EXPECT_EQ(wizard.Folder(), DefaultFolder(title));
    // The required figure is the listed sizes' sum in KB; the free one the drive's.
    std::uint64_t required = 0;
    for (const std::wstring& name : ListFiles(FixtureDisc(L"single", L"DISC1"))) {
      if (name == L"setup" || name.rfind(L"directx", 0) == 0) continue;
      required += ReadFileBytes(JoinPath(FixtureDisc(L"single", L"DISC1"), name))->size();
    }
    const std::wstring drive = DefaultFolder(title).substr(0, 3);
    const std::wstring head = L"必要な容量\t" + std::to_wstring(required >> 10) + L"KB\n" + drive + L" の空き容量\t";
    EXPECT_EQ(wizard.SpaceText().substr(0, head.size()), head) << testing::PrintToString(wizard.SpaceText());

    // A typed folder queries its own drive: an unreachable share has 0 free.
    const std::wstring share = L"\\\\nosuchserver\\share\\games";
    ASSERT_TRUE(wizard.SetFolder(share));
    EXPECT_EQ(wizard.SpaceText(), head.substr(0, head.find(L'\n') + 1) + share + L" の空き容量\t0KB");
    ASSERT_TRUE(wizard.Click(kNext));
    std::optional<CMessageBox> box = WaitMessageBox(run.processId);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"インストールに必要な容量が不足しています。\nインストールを続行しますか？");
    EXPECT_EQ(box->caption, kWizardCaption);
    EXPECT_EQ(box->buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box->defaultButton, IDYES);
    ASSERT_TRUE(box->Answer(IDNO));
    EXPECT_TRUE(wizard.WaitPage(0));
    EXPECT_EQ(wizard.Folder(), share);

    // Cancel asks, No by default; No keeps the wizard, Yes closes it.
    ASSERT_TRUE(wizard.Click(IDCANCEL));
    box = WaitMessageBox(run.processId);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"インストールを中断しますか？");
    EXPECT_EQ(box->caption, L"中断");
    EXPECT_EQ(box->buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box->defaultButton, IDNO);
    ASSERT_TRUE(box->Answer(IDNO));
    EXPECT_TRUE(wizard.Sheet().StaysOpen());
    ASSERT_TRUE(wizard.Click(IDCANCEL));
    box = WaitMessageBox(run.processId);
    ASSERT_TRUE(box);
    ASSERT_TRUE(box->Answer(IDYES));
    ASSERT_TRUE(wizard.Sheet().WaitGone());
  }
  EXPECT_FALSE(ReadInstallRecord(kMaker, title).value_or(L"").size());
  EXPECT_TRUE(run.launcher.window.ControlEnabled(kInstallId));

  // The next Install starts from the default folder again.
  ASSERT_TRUE(run.launcher.window.Click(kInstallId));
  CWizard again(run.processId);
  ASSERT_TRUE(again);
  ASSERT_TRUE(again.WaitPage(0));
  EXPECT_EQ(again.Folder(), DefaultFolder(title));
  ASSERT_TRUE(again.Click(IDCANCEL));
  std::optional<CMessageBox> box = WaitMessageBox(run.processId);
  ASSERT_TRUE(box);
  ASSERT_TRUE(box->Answer(IDYES));
  ASSERT_TRUE(again.Sheet().WaitGone());
  EXPECT_TRUE(CloseLauncher(run.launcher.window));
}

// A product whose second file is large enough to press Cancel during its
// copy: the disc copy is the scenario's own to change.
constexpr std::size_t kLargeBytes = 384u << 20;

std::string LargeContents() {
  std::string bytes(kLargeBytes, '\0');
  for (std::size_t i = 0; i < bytes.size(); i += 4096) bytes[i] = static_cast<char>(i >> 12);
  return bytes;
}

CInstallRun OpenWizardWithLargeReadme(const std::wstring& title) {
  CInstallRun run;
  run.disc1 = PrepareDisc(L"single", L"DISC1");
  if (!WriteFileBytes(run.disc1.Path(L"readme.txt"), LargeContents())) return run;
  if (!InsertDisc(run.disc1)) return run;
  run.launcher = StartLauncher(run.disc1.Path(L"setup.exe"), title);
  if (!run.launcher.window) return run;
  run.processId = run.launcher.window.ProcessId();
  if (!run.launcher.window.Click(kInstallId)) run.processId = 0;
  return run;
}

TEST(WizardCopy, CancelDuringACopyAnsweredNoCompletesTheFile) {
  const std::wstring title = L"星の旅人";
  CInstallRun run = OpenWizardWithLargeReadme(title);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  CWizard wizard(run.processId);
  ASSERT_TRUE(wizard);
  ASSERT_TRUE(wizard.WaitPage(0));
  const std::wstring installed = DefaultFolder(title) + L"\\";
  ASSERT_TRUE(wizard.Click(kNext));
  // Once the large file is being written, press Cancel three times in a
  // row (the question disables the sheet: later clicks may be refused).
  ASSERT_TRUE(WaitForFile(installed + L"readme.txt"));
  ASSERT_TRUE(wizard.Click(IDCANCEL));
  (void)wizard.Click(IDCANCEL, 0);
  (void)wizard.Click(IDCANCEL, 0);
  std::optional<CMessageBox> box = WaitMessageBox(run.processId);
  ASSERT_TRUE(box) << DescribeWindows();
  EXPECT_EQ(box->text, L"インストールを中断しますか？");
  EXPECT_EQ(box->caption, kWizardCaption);
  EXPECT_EQ(box->defaultButton, IDNO);
  ASSERT_TRUE(box->Answer(IDNO));
  // One question for the three presses.
  ASSERT_TRUE(wizard.WaitPage(2)) << DescribeWindows();
  EXPECT_TRUE(MessageBoxes(run.processId).empty());
  ASSERT_TRUE(wizard.Click(kFinish));
  ASSERT_TRUE(wizard.Sheet().WaitGone());

  EXPECT_TRUE(SameFile(installed + L"readme.txt", run.disc1.Path(L"readme.txt")));
  EXPECT_TRUE(SameFile(installed + L"data\\stage1.dat", run.disc1.Path(L"data\\stage1.dat")));
  EXPECT_EQ(ReadInstallRecord(kMaker, title), installed);
  EXPECT_TRUE(FileExists(DesktopLink(title)));
  EXPECT_TRUE(CloseLauncher(run.launcher.window));
}

TEST(WizardCopy, CancelDuringACopyAnsweredYesKeepsOnlyEarlierFiles) {
  const std::wstring title = L"星の旅人";
  CInstallRun run = OpenWizardWithLargeReadme(title);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  CWizard wizard(run.processId);
  ASSERT_TRUE(wizard);
  ASSERT_TRUE(wizard.WaitPage(0));
  const std::wstring installed = DefaultFolder(title) + L"\\";
  ASSERT_TRUE(wizard.Click(kNext));
  ASSERT_TRUE(WaitForFile(installed + L"readme.txt"));
  ASSERT_TRUE(wizard.Click(IDCANCEL));
  std::optional<CMessageBox> box = WaitMessageBox(run.processId);
  ASSERT_TRUE(box) << DescribeWindows();
  EXPECT_EQ(box->text, L"インストールを中断しますか？");
  ASSERT_TRUE(box->Answer(IDYES));
  ASSERT_TRUE(wizard.Sheet().WaitGone());

  EXPECT_TRUE(SameFile(installed + L"game.exe", run.disc1.Path(L"game.exe")));  // before it: kept
  EXPECT_FALSE(FileExists(installed + L"readme.txt"));                          // partial: removed
  EXPECT_FALSE(FileExists(installed + L"data\\stage1.dat"));                    // after it: never made
  EXPECT_FALSE(ReadInstallRecord(kMaker, title).value_or(L"").size());
  EXPECT_FALSE(FileExists(DesktopLink(title)));
  EXPECT_FALSE(FileExists(MenuLink(L"サンプル工房\\星の旅人", title)));
  EXPECT_TRUE(run.launcher.window.ControlEnabled(kInstallId));
  EXPECT_TRUE(CloseLauncher(run.launcher.window));
}

TEST(WizardCopy, FailedCopyRetriedAndReadOnlyFileReplaced) {
  const std::wstring title = L"星の旅人";
  const std::wstring installed = DefaultFolder(title) + L"\\";
  // A folder where readme.txt should go makes its copy fail; an old
  // read-only game.exe is simply replaced.
  ASSERT_TRUE(CreateFolders(installed + L"readme.txt"));
  ASSERT_TRUE(WriteFileBytes(installed + L"game.exe", "old"));
  ASSERT_TRUE(::SetFileAttributesW((installed + L"game.exe").c_str(), FILE_ATTRIBUTE_READONLY));
  CInstallRun run = OpenWizard(L"single", title);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  CWizard wizard(run.processId);
  ASSERT_TRUE(wizard);
  ASSERT_TRUE(wizard.WaitPage(0));
  ASSERT_TRUE(wizard.Click(kNext));

  std::optional<CMessageBox> box = WaitMessageBox(run.processId);
  ASSERT_TRUE(box) << DescribeWindows();
  EXPECT_EQ(box->text, L"readme.txtのコピーに失敗しました。");
  EXPECT_EQ(box->caption, kWizardCaption);
  EXPECT_EQ(box->buttons, (std::vector<int>{IDRETRY, IDCANCEL}));
  EXPECT_TRUE(::RemoveDirectoryW((installed + L"readme.txt").c_str()));
  ASSERT_TRUE(box->Answer(IDRETRY));
  ASSERT_TRUE(wizard.WaitPage(2)) << DescribeWindows();
  // The copy page's bar ends full.
  DWORD_PTR copyPage = 0;
  ::SendMessageTimeoutW(wizard.Sheet().Handle(), PSM_INDEXTOHWND, 1, 0, SMTO_ABORTIFHUNG, 5000, &copyPage);
  EXPECT_EQ(CWindow(reinterpret_cast<HWND>(copyPage)).SendToControl(kProgress, PBM_GETPOS), LRESULT{100});
  ASSERT_TRUE(wizard.Click(kFinish));
  ASSERT_TRUE(wizard.Sheet().WaitGone());

  for (const wchar_t* name : {L"game.exe", L"readme.txt", L"data\\stage1.dat"}) {
    EXPECT_TRUE(SameFile(installed + name, run.disc1.Path(name))) << testing::PrintToString(std::wstring(name));
  }
  EXPECT_EQ(FileAttributes(installed + L"game.exe").value_or(0) & FILE_ATTRIBUTE_READONLY, 0u);
  const std::optional<CShortcut> extra = ReadShortcut(MenuLink(L"サンプル工房\\星の旅人", L"はじめにお読みください"));
  ASSERT_TRUE(extra);
  EXPECT_TRUE(SamePath(extra->target, installed + L"readme.txt"));
  EXPECT_TRUE(CloseLauncher(run.launcher.window));
}

TEST(WizardCopy, ARecordThatCannotBeWrittenEndsTheInstallAsACancel) {
  const std::wstring title = L"星の旅人";
  // No key that lasts may be made below a volatile one: the record's write
  // fails as it would on a registry the user may not change.
  ASSERT_TRUE(DeleteRegTree(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\") + kMaker));
  win::UniqueKey maker;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(L"SOFTWARE\\") + kMaker).c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, maker.put(), nullptr),
            ERROR_SUCCESS);
  CInstallRun run = OpenWizard(L"single", title);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  CWizard wizard(run.processId);
  ASSERT_TRUE(wizard);
  ASSERT_TRUE(wizard.WaitPage(0));
  ASSERT_TRUE(wizard.Click(kNext));
  std::optional<CMessageBox> box = WaitMessageBox(run.processId);
  ASSERT_TRUE(box) << DescribeWindows();
  EXPECT_EQ(box->text, L"インストール情報をレジストリに書き込めませんでした。\nインストールを中止します。");
  EXPECT_EQ(box->caption, kWizardCaption);
  EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
  ASSERT_TRUE(box->Answer(IDOK));
  ASSERT_TRUE(wizard.Sheet().WaitGone());

  // What was copied stays; no record and no link say it is installed.
  const std::wstring installed = DefaultFolder(title) + L"\\";
  EXPECT_TRUE(SameFile(installed + L"game.exe", run.disc1.Path(L"game.exe")));
  EXPECT_FALSE(ReadInstallRecord(kMaker, title));
  EXPECT_FALSE(FileExists(DesktopLink(title)));
  EXPECT_TRUE(WaitButtonsShowInstalled(run.launcher.window, false));
  EXPECT_TRUE(CloseLauncher(run.launcher.window));
}

TEST(WizardCopy, NoFilesGoStraightToTheFinishPage) {
  const std::wstring title = L"空の箱";
  CInstallRun run = OpenWizard(L"nofiles", title);
  ASSERT_NE(run.processId, 0u) << DescribeWindows();
  CWizard wizard(run.processId);
  ASSERT_TRUE(wizard);
  ASSERT_TRUE(wizard.WaitPage(0));
  const std::wstring noneNeeded = L"必要な容量\t0KB\n";
  EXPECT_EQ(wizard.SpaceText().substr(0, noneNeeded.size()), noneNeeded);
  ASSERT_TRUE(wizard.Click(kNext));
  ASSERT_TRUE(wizard.WaitPage(2)) << DescribeWindows();
  EXPECT_TRUE(MessageBoxes(run.processId).empty());
  EXPECT_EQ(wizard.Sheet().ControlText(kFinish), L"完了");
  EXPECT_TRUE(wizard.Sheet().ControlEnabled(kFinish));
  ASSERT_TRUE(wizard.Click(kFinish));
  ASSERT_TRUE(wizard.Sheet().WaitGone());
  EXPECT_EQ(ReadInstallRecord(kMaker, title), DefaultFolder(title) + L"\\");
  EXPECT_TRUE(CloseLauncher(run.launcher.window));
}

}  // namespace
}  // namespace e2e
