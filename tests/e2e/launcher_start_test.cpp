// Starting setup.exe: which starts end silently, which folder becomes the
// source folder, and what a second start does while a launcher is open.
#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

constexpr wchar_t kStarTitle[] = L"星の旅人";          // fixture single and its damaged variants
constexpr wchar_t kMultiTitle[] = L"星の旅人 完全版";  // fixture multi

// A window of the driver's own, to take the foreground away from the
// launcher.
class CForegroundThief {
 public:
  CForegroundThief()
      : m_hwnd(::CreateWindowExW(0, L"STATIC", L"e2e foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr)) {}
  ~CForegroundThief() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
  }
  CForegroundThief(const CForegroundThief&) = delete;
  CForegroundThief& operator=(const CForegroundThief&) = delete;
  bool Take() const { return m_hwnd && ::SetForegroundWindow(m_hwnd) && ::GetForegroundWindow() == m_hwnd; }

 private:
  HWND m_hwnd;
};

bool WaitForeground(const CWindow& window, DWORD timeoutMs = kWaitMs) {
  const DWORD start = ::GetTickCount();
  while (!window.IsForeground()) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
  return true;
}

TEST(LauncherStart, EndsWithoutAWindowWhenThePackageIsUnusable) {
  enum class Damage { None, NoPackage, NotAPackage };
  struct Row {
    const wchar_t* fixture;
    Damage damage;
    bool launcher;
  };
  const Row rows[] = {
      {L"single", Damage::None, true},  // the watch does see a launcher
      {L"single", Damage::NoPackage, false},
      {L"single", Damage::NotAPackage, false},
      {L"nosettings", Damage::None, false},  // no "setting.csv" in the package
      {L"nofilesize", Damage::None, false},  // no "filesize"
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture << ", damage " << static_cast<int>(row.damage));
    const CDisc disc = PrepareDisc(row.fixture, L"DISC1");
    ASSERT_TRUE(disc);
    if (row.damage == Damage::NoPackage) {
      ASSERT_TRUE(::DeleteFileW(disc.Path(L"setup").c_str()));
    }
    if (row.damage == Damage::NotAPackage) {
      ASSERT_TRUE(WriteFileBytes(disc.Path(L"setup"), "ARC0 this is no package\r\n"));
    }
    ASSERT_TRUE(InsertDisc(disc));

    const CWatchResult watch = RunWatchingWindows(disc.Path(L"setup.exe"));
    if (row.launcher) {
      EXPECT_TRUE(watch.windowShown);
      const CWindow launcher = WaitWindow(LauncherCaption(kStarTitle), watch.process.Id());
      ASSERT_TRUE(launcher);
      ASSERT_TRUE(CloseLauncher(launcher));
    } else {
      EXPECT_TRUE(watch.exited);
      EXPECT_FALSE(watch.windowShown) << watch.windows;
    }
  }
}

TEST(LauncherStart, RefusesUnusableSettingsWithAMessage) {
  struct Row {
    const wchar_t* fixture;
    const wchar_t* text;
  };
  const Row rows[] = {
      {L"nomaker", L"セットアップ情報の「社名」が空です。\nセットアップを開始できません。"},
      {L"unsafefile",
       L"セットアップ情報の「ファイル」の名前「..\\a\\stage1.dat」は使用できません。\nセットアップを開始できません。"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "fixture " << row.fixture);
    const CDisc disc = PrepareDisc(row.fixture, L"DISC1");
    ASSERT_TRUE(InsertDisc(disc));
    const CProcess process = CProcess::Start(disc.Path(L"setup.exe"));
    ASSERT_TRUE(process);
    const std::optional<CMessageBox> box = WaitMessageBox(process.Id());
    ASSERT_TRUE(box) << DescribeWindows();
    EXPECT_EQ(box->text, row.text);
    EXPECT_EQ(box->caption, L"セットアップ");
    EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(FindWindows(LauncherCaption(kStarTitle)).empty());
    ASSERT_TRUE(box->Answer(IDOK));
    EXPECT_TRUE(process.WaitExit());
    EXPECT_TRUE(FindWindows(LauncherCaption(kStarTitle)).empty());
  }
}

TEST(LauncherStart, FolderArgumentBecomesTheSourceFolder) {
  // setup.exe alone in one folder, the product in another whose name holds
  // a blank.
  const std::wstring programFolder = L"C:\\プログラム\\";
  const std::wstring productFolder = L"C:\\ソース 1\\";
  ASSERT_TRUE(CreateFolders(programFolder));
  ASSERT_TRUE(::CopyFileW(SetupProgram().c_str(), (programFolder + L"setup.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFixtureDisc(L"single", L"DISC1", productFolder, false));
  const CDisc multi = PrepareDisc(L"multi", L"DISC1");
  const CDisc single = PrepareDisc(L"single", L"DISC1");

  struct Row {
    const CDisc* disc;  // put in the drive first, when given
    std::wstring program;
    std::wstring arguments;
    const wchar_t* title;
    std::wstring source;
  };
  const Row rows[] = {
      {nullptr, programFolder + L"setup.exe", L"\"C:\\ソース 1\"", kStarTitle, productFolder},
      // A two-disc product shows the launcher at once when given its folder.
      {&multi, L"Q:\\setup.exe", L"Q:\\", kMultiTitle, L"Q:\\"},
      // A switch is never taken for the folder.
      {&single, L"Q:\\setup.exe", L"/x", kStarTitle, L"Q:\\"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.program << " " << row.arguments);
    if (row.disc) {
      ASSERT_TRUE(InsertDisc(*row.disc));
    }
    const CLauncherRun run = StartLauncher(row.program, row.title, row.arguments);
    ASSERT_TRUE(run.window);
    EXPECT_EQ(run.window.ProcessId(), run.process.Id());
    EXPECT_TRUE(SamePath(run.process.CurrentDirectory(), row.source)) << run.process.CurrentDirectory();
    EXPECT_TRUE(SamePath(run.process.ImagePath(), row.program)) << run.process.ImagePath();
    ASSERT_TRUE(CloseLauncher(run.window));
  }
  EXPECT_FALSE(FileExists(TempFolder() + L"setup_" + kMultiTitle + L".exe"));
}

TEST(LauncherStart, SecondStartActivatesTheOpenLauncher) {
  const CDisc disc = PrepareDisc(L"single", L"DISC1");
  ASSERT_TRUE(InsertDisc(disc));
  const CLauncherRun first = StartLauncher(disc.Path(L"setup.exe"), kStarTitle);
  ASSERT_TRUE(first.window);

  const CForegroundThief thief;
  ASSERT_TRUE(thief.Take());
  EXPECT_FALSE(first.window.IsForeground());
  const CWatchResult second = RunWatchingWindows(disc.Path(L"setup.exe"));
  EXPECT_TRUE(second.exited);
  EXPECT_FALSE(second.windowShown) << second.windows;
  const std::vector<CWindow> launchers = FindWindows(LauncherCaption(kStarTitle));
  ASSERT_EQ(launchers.size(), 1u);
  EXPECT_EQ(launchers.front().Handle(), first.window.Handle());
  EXPECT_TRUE(WaitForeground(first.window));

  // Another product's launcher is not the same launcher: its caption differs.
  const std::wstring otherFolder = L"C:\\Other\\";
  ASSERT_TRUE(CopyFixtureDisc(L"noreadme", L"DISC1", otherFolder));
  const CLauncherRun other = StartLauncher(otherFolder + L"setup.exe", L"Sample");
  ASSERT_TRUE(other.window);
  EXPECT_TRUE(first.window.IsVisible());
  ASSERT_TRUE(CloseLauncher(other.window));
  ASSERT_TRUE(CloseLauncher(first.window));
}

}  // namespace
}  // namespace e2e
