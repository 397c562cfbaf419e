// The launcher dialog on its real template, driven from a second thread as
// a user would: captions, button texts and states, the DirectX disc prompt,
// the removal's question, and which commands close it.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "launcher/LauncherDlg.h"
#include "package/InstallRecord.h"
#include "package/SetupInfo.h"
#include "res/resource.h"
#include "win/Handles.h"
#include "win/Registry.h"

namespace {

template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    if (condition()) return true;
    ::Sleep(20);
  }
  return condition();
}

std::wstring Text(HWND window) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(window, buffer, 512);
  return buffer;
}

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// The message box with caption that belongs to this process, or null.
HWND FindBox(const wchar_t* caption) {
  HWND box = nullptr;
  while ((box = ::FindWindowExW(nullptr, box, L"#32770", caption)) != nullptr) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(box, &process);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(box)) return box;
  }
  return nullptr;
}

// Runs the launcher modally on this thread while drive works it from
// another; drive ends by closing it. Returns DoModal's result.
INT_PTR RunLauncher(SetupInfo& info, HBITMAP picture, const std::function<void(HWND)>& drive) {
  CLauncherDlg launcher(info, picture, nullptr);
  const std::wstring caption = info.title + L" セットアップ";
  std::thread driver([&] {
    HWND dialog = nullptr;
    WaitFor([&] {
      dialog = ::FindWindowW(L"#32770", caption.c_str());
      return dialog && ::IsWindowVisible(dialog) && ::GetDlgItem(dialog, IDC_README);
    });
    if (!dialog) {
      ADD_FAILURE() << "the launcher did not appear";
      return;
    }
    drive(dialog);
    // Whatever happened, do not leave the test hanging in the modal loop.
    if (::IsWindow(dialog)) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  const INT_PTR result = launcher.DoModal();
  driver.join();
  return result;
}

class LauncherTest : public testing::Test {
 protected:
  void SetUp() override {
    m_info.title = L"星の旅人テスト";
    m_info.company = L"SetupLauncherTest" + std::to_wstring(::GetCurrentProcessId());
    m_info.exeFile = L"game.exe";
    m_info.readmeFile = L"manual\\readme.txt";
    m_info.files = {{L"game.exe", L"DISC2", 10}, {L"data\\a.dat", L"DISC3", 20}};
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, CompanyKey().c_str());
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, CompanyKey().c_str()); }

  std::wstring CompanyKey() const { return L"SOFTWARE\\" + m_info.company; }
  void Record(const std::wstring& folder) {
    ASSERT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(m_info), L"path", folder),
              ERROR_SUCCESS);
  }

  SetupInfo m_info;
};

TEST_F(LauncherTest, ShowsTheProductAndEnablesFromTheRecord) {
  struct Case {
    const char* what;
    std::wstring record;
    std::wstring readme;
    bool installed;
    std::wstring readmeText;
  } cases[] = {
      {"not installed", L"", L"manual\\readme.txt", false, L"manual\\readme.txtを開く"},
      {"installed", L"C:\\Games\\Sample\\", L"manual\\readme.txt", true, L"manual\\readme.txtを開く"},
      {"no readme", L"", L"", false, L"readmeを開く"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, CompanyKey().c_str());
    if (!c.record.empty()) Record(c.record);
    m_info.readmeFile = c.readme;
    RunLauncher(m_info, nullptr, [&](HWND dialog) {
      EXPECT_TRUE(Text(dialog) == L"星の旅人テスト セットアップ");
      EXPECT_TRUE(Text(::GetDlgItem(dialog, IDC_README)) == c.readmeText);
      EXPECT_TRUE(Text(::GetDlgItem(dialog, IDC_INSTALL)) == L"インストールする");
      EXPECT_TRUE(Text(::GetDlgItem(dialog, IDC_DIRECTX)) == L"DirectX 8.1をインストールする");
      EXPECT_EQ(Enabled(dialog, IDC_INSTALL), !c.installed);
      EXPECT_EQ(Enabled(dialog, IDC_START_GAME), c.installed);
      EXPECT_EQ(Enabled(dialog, IDC_UNINSTALL), c.installed);
      EXPECT_TRUE(Enabled(dialog, IDC_DIRECTX));
      EXPECT_EQ(Enabled(dialog, IDC_README), !c.readme.empty());
      // No default push button among the five.
      for (int id : {IDC_INSTALL, IDC_DIRECTX, IDC_START_GAME, IDC_UNINSTALL, IDC_README}) {
        const LONG_PTR style = ::GetWindowLongPtrW(::GetDlgItem(dialog, id), GWL_STYLE);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << id;
      }
    });
  }
}

TEST_F(LauncherTest, ShowsThePictureItIsGiven) {
  const win::UniqueBitmap picture(::CreateBitmap(8, 8, 1, 32, nullptr));
  for (const HBITMAP given : {picture.get(), HBITMAP{}}) {
    SCOPED_TRACE(given ? "picture" : "none");
    RunLauncher(m_info, given, [&](HWND dialog) {
      const HWND control = ::GetDlgItem(dialog, IDC_PICTURE);
      EXPECT_EQ(::GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
      EXPECT_EQ(reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0)), given);
    });
  }
  // Borrowed, not taken: the bitmap is still ours to use.
  BITMAP info{};
  EXPECT_EQ(::GetObjectW(picture.get(), sizeof info, &info), static_cast<int>(sizeof info));
}

TEST_F(LauncherTest, OnlyEscapeAndTheCloseBoxEndIt) {
  struct Case {
    const char* what;
    UINT message;
    WPARAM wParam;
    bool closes;
  } cases[] = {
      {"Enter without a focused button", WM_COMMAND, IDOK, false},
      {"the readme button", WM_COMMAND, MAKEWPARAM(IDC_README, BN_CLICKED), false},
      {"close box", WM_CLOSE, 0, true},
      {"Escape", WM_COMMAND, IDCANCEL, true},
  };
  // The readme does not exist in the current folder: opening it fails
  // silently.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::atomic<bool> stillOpen{false};
    const INT_PTR result = RunLauncher(m_info, nullptr, [&](HWND dialog) {
      ::PostMessageW(dialog, c.message, c.wParam, 0);
      ::Sleep(300);
      stillOpen = ::IsWindow(dialog) && ::IsWindowVisible(dialog);
    });
    EXPECT_EQ(stillOpen.load(), !c.closes);
    EXPECT_EQ(result, IDCANCEL);
  }
}

TEST_F(LauncherTest, DirectXAsksForTheFirstDiscUntilCancelled) {
  // An empty current folder: the DirectX set-up is not there.
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring empty = std::wstring(temp) + L"launcher_test_" + std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(empty.c_str(), nullptr);
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(empty.c_str()));

  struct Case {
    const char* what;
    std::vector<FileEntry> files;
    std::wstring prompt;
  } cases[] = {
      {"first file's disc", {{L"a", L"DISC2", 1}, {L"b", L"DISC3", 1}}, L"DISC2を挿入してください。"},
      {"no files", {}, L"DISC1を挿入してください。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_info.files = c.files;
    RunLauncher(m_info, nullptr, [&](HWND dialog) {
      ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DIRECTX, BN_CLICKED), 0);
      // OK tries again and asks again; Cancel gives up.
      for (int answer : {IDOK, IDCANCEL}) {
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = FindBox(L"インストール")) != nullptr; }));
        EXPECT_TRUE(Text(::GetDlgItem(box, 0xFFFF)) == c.prompt);
        EXPECT_TRUE(::GetDlgItem(box, IDOK) && ::GetDlgItem(box, IDCANCEL));
        EXPECT_EQ(::GetWindow(box, GW_OWNER), dialog);
        ::PostMessageW(box, WM_COMMAND, answer, 0);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
      }
      ::Sleep(300);
      EXPECT_EQ(FindBox(L"インストール"), nullptr);
      EXPECT_TRUE(::IsWindowEnabled(dialog));
    });
  }
  ::SetCurrentDirectoryW(previous);
  ::RemoveDirectoryW(empty.c_str());
}

TEST_F(LauncherTest, UninstallAsksFirstAndDefaultsToNo) {
  Record(L"C:\\NotThere\\SetupLauncherTest\\");
  m_info.files.clear();  // nothing of the test machine to delete
  RunLauncher(m_info, nullptr, [&](HWND dialog) {
    // No: nothing changes.
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL, BN_CLICKED), 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindBox(L"アンインストール")) != nullptr; }));
    EXPECT_TRUE(Text(::GetDlgItem(box, 0xFFFF)) == L"このアプリケーションを削除しますか？");
    const LONG_PTR noStyle = ::GetWindowLongPtrW(::GetDlgItem(box, IDNO), GWL_STYLE);
    EXPECT_EQ(noStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    ::PostMessageW(box, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    ::Sleep(200);
    EXPECT_FALSE(ReadRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(m_info), L"path", L"").empty());
    EXPECT_TRUE(Enabled(dialog, IDC_UNINSTALL));

    // Yes: the record goes, the user is told, the buttons follow.
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return (box = FindBox(L"アンインストール")) != nullptr; }));
    ::PostMessageW(box, WM_COMMAND, IDYES, 0);
    HWND done = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      done = FindBox(L"アンインストール");
      return done && done != box && Text(::GetDlgItem(done, 0xFFFF)) == L"アプリケーションを削除しました。";
    }));
    ::PostMessageW(done, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(done); }));
    EXPECT_TRUE(WaitFor([&] {
      return Enabled(dialog, IDC_INSTALL) && !Enabled(dialog, IDC_UNINSTALL) &&
             !Enabled(dialog, IDC_START_GAME);
    }));
  });
  EXPECT_TRUE(ReadRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(m_info), L"path", L"").empty());
}

}  // namespace
