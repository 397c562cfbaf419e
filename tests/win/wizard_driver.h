// Drives the install wizard inside the test process, as a user would: the
// test thread runs the modal wizard, a driver thread finds its windows,
// reads them and clicks. Message boxes of the copy worker live on the
// worker's thread, so windows are looked up process-wide.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "package/SetupInfo.h"
#include "win/Handles.h"
#include "win/Registry.h"
#include "win/ShellFolders.h"
#include "wizard/InstallWizard.h"

namespace wizard_test {

constexpr int kBack = 0x3023, kNext = 0x3024, kFinish = 0x3025, kHelp = 9;
constexpr DWORD kTimeoutMs = 20000;

// A driver that lost the wizard cannot close it: end the test program
// rather than hang the suite.
[[noreturn]] inline void Bail(const char* what) {
  std::fprintf(stderr, "wizard driver: %s\n", what);
  std::fflush(stderr);
  ::ExitProcess(3);
}

inline std::wstring Text(HWND hwnd) {
  wchar_t buffer[2048] = {};
  ::GetWindowTextW(hwnd, buffer, 2048);
  return buffer;
}

inline std::wstring ClassOf(HWND hwnd) {
  wchar_t buffer[64] = {};
  ::GetClassNameW(hwnd, buffer, 64);
  return buffer;
}

template <typename Predicate>
bool WaitFor(Predicate predicate, DWORD timeoutMs = kTimeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (predicate()) return true;
    if (::GetTickCount64() > end) return false;
    ::Sleep(5);
  }
}

struct FindState {
  DWORD process;
  std::function<bool(HWND)> match;
  HWND found;
};

inline BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam) {
  auto* state = reinterpret_cast<FindState*>(lParam);
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  if (process == state->process && ::IsWindowVisible(hwnd) && state->match(hwnd)) {
    state->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

inline HWND FindTopLevel(std::function<bool(HWND)> match) {
  FindState state{::GetCurrentProcessId(), std::move(match), nullptr};
  ::EnumWindows(&FindProc, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

inline HWND FindSheet() {
  return FindTopLevel([](HWND hwnd) {
    return ClassOf(hwnd) == L"#32770" && ::GetDlgItem(hwnd, kNext) != nullptr;
  });
}

// A message box: a dialog with the static text 0xFFFF.
inline HWND FindBox() {
  return FindTopLevel([](HWND hwnd) {
    return ClassOf(hwnd) == L"#32770" && ::GetDlgItem(hwnd, 0xFFFF) != nullptr &&
           ::GetDlgItem(hwnd, kNext) == nullptr;
  });
}

struct Box {
  HWND hwnd = nullptr;
  std::wstring text;
  std::wstring caption;
  std::vector<int> buttons;  // IDOK... present
  int defaultButton = 0;     // the one drawn as default
};

inline Box ReadBox(HWND hwnd) {
  Box box;
  box.hwnd = hwnd;
  box.text = Text(::GetDlgItem(hwnd, 0xFFFF));
  box.caption = Text(hwnd);
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    const HWND button = ::GetDlgItem(hwnd, id);
    if (!button || !::IsWindowVisible(button)) continue;
    box.buttons.push_back(id);
    if ((::GetWindowLongPtrW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) box.defaultButton = id;
  }
  return box;
}

inline Box WaitForBox() {
  HWND hwnd = nullptr;
  if (!WaitFor([&] { return (hwnd = FindBox()) != nullptr && ::GetDlgItem(hwnd, 0xFFFF); }))
    Bail("no message box appeared");
  // Let the box finish its set-up (default button, texts).
  ::Sleep(30);
  return ReadBox(hwnd);
}

inline void Answer(const Box& box, int id) {
  ::PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box.hwnd, id)));
  if (!WaitFor([&] { return !::IsWindow(box.hwnd) || !::IsWindowVisible(box.hwnd); }))
    Bail("message box did not close");
}

inline bool Usable(HWND button) {
  return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
}

// Clicks a wizard button, which must be usable: Wine would click a
// disabled one too.
inline void Click(HWND sheet, int id) {
  const HWND button = ::GetDlgItem(sheet, id);
  if (!Usable(button)) Bail("button to click is not usable");
  ::PostMessageW(button, BM_CLICK, 0, 0);
}

inline HWND CurrentPage(HWND sheet) {
  return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

inline int PageIndex(HWND sheet) {
  return static_cast<int>(
      ::SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
}

inline HWND WaitForSheet() {
  HWND sheet = nullptr;
  if (!WaitFor([&] { return (sheet = FindSheet()) != nullptr && CurrentPage(sheet) != nullptr; }))
    Bail("the wizard did not appear");
  return sheet;
}

inline void WaitForPage(HWND sheet, int index) {
  if (!WaitFor([&] { return PageIndex(sheet) == index; })) Bail("the wizard did not reach a page");
  // The pages post their button states: let them arrive.
  ::Sleep(50);
}

inline void WaitForClose(HWND sheet) {
  if (!WaitFor([&] { return !::IsWindow(sheet); })) Bail("the wizard did not close");
}

// Runs the wizard on this thread while script drives it from another.
class Session {
 public:
  using Script = std::function<void()>;
  static void Run(SetupInfo& info, HBITMAP picture, Script script) {
    Session session{std::move(script)};
    win::UniqueHandle thread(::CreateThread(nullptr, 0, &Session::Drive, &session, 0, nullptr));
    ASSERT_TRUE(thread);
    RunInstallWizard(nullptr, info, picture);
    if (::WaitForSingleObject(thread.get(), kTimeoutMs) != WAIT_OBJECT_0) {
      Bail("driver did not finish");
    }
  }

 private:
  explicit Session(Script script) : m_script(std::move(script)) {}
  static DWORD WINAPI Drive(LPVOID parameter) {
    static_cast<Session*>(parameter)->m_script();
    return 0;
  }
  Script m_script;
};

}  // namespace wizard_test

namespace wizard_test {

inline bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadAll(const std::wstring& path) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

inline void WriteAll(const std::wstring& path, const std::string& bytes) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Bail("cannot write a test file");
  DWORD written = 0;
  if (!bytes.empty()) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

inline FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

inline std::string Pattern(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned value = seed * 2654435761u + 1;
  for (char& c : bytes) {
    value = value * 1103515245u + 12345u;
    c = static_cast<char>(value >> 16);
  }
  return bytes;
}

// Removes a folder tree (test clean-up only).
inline void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  win::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find.get(), &data));
  }
  find.reset();
  ::RemoveDirectoryW(folder.c_str());
}

// A product on a "disc" (a temporary source folder that is the current
// folder) and a unique maker, so runs never meet each other's record,
// links or folders.
class InstallFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring tag = std::to_wstring(::GetCurrentProcessId()) + L"_" +
                             std::to_wstring(++s_counter);
    m_source = std::wstring(temp) + L"ディスク" + tag;
    m_target = std::wstring(temp) + L"インストール先" + tag + L"\\";
    // Wine reuses process ids: clear what an interrupted earlier run left.
    RemoveTree(m_source);
    RemoveTree(m_target.substr(0, m_target.size() - 1));
    ::CreateDirectoryW(m_source.c_str(), nullptr);
    ::GetCurrentDirectoryW(MAX_PATH, m_savedFolder);
    ::SetCurrentDirectoryW(m_source.c_str());

    // Unique, like the maker: test programs run side by side in one prefix
    // and share its desktop and Programs menu.
    m_info.title = L"星の旅人 " + tag;
    m_info.company = L"テスト工房" + tag;
    m_info.exeFile = L"game.exe";
    m_info.readmeFile = L"readme.txt";
    m_info.menuFolder = L"テスト工房" + tag + L"\\星の旅人";
    m_info.menus = {{L"お読みください", L"readme.txt"}, {L"表示設定", L"表示\\config.exe"}};
    m_picture.reset(::CreateBitmap(16, 16, 1, 32, nullptr));
  }

  void TearDown() override {
    ::SetCurrentDirectoryW(m_savedFolder);
    RemoveTree(m_source);
    if (m_target.size() > 1) RemoveTree(m_target.substr(0, m_target.size() - 1));
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + m_info.company).c_str());
    const std::wstring programs = GetSpecialFolderPath(CSIDL_PROGRAMS);
    const std::wstring desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
    if (!programs.empty()) RemoveTree(programs + m_info.company);
    if (!desktop.empty()) ::DeleteFileW((desktop + m_info.title + L".lnk").c_str());
    ::CoUninitialize();
  }

  // A file on the disc, listed in the settings with its real size.
  void AddFile(const std::wstring& name, const std::string& bytes,
               const std::wstring& disc = L"DISC1") {
    CreateDirectoryChain(m_source + L"\\" + name);
    WriteAll(m_source + L"\\" + name, bytes);
    m_info.files.push_back({name, disc, static_cast<std::uint32_t>(bytes.size())});
  }

  std::wstring RecordKey() const { return L"SOFTWARE\\" + m_info.company + L"\\" + m_info.title; }
  std::wstring Record() const {
    return ReadRegString(HKEY_LOCAL_MACHINE, RecordKey(), L"path", L"");
  }
  std::wstring DesktopLink() const {
    return GetSpecialFolderPath(CSIDL_DESKTOP) + m_info.title + L".lnk";
  }
  std::wstring MenuLink(const std::wstring& name) const {
    return GetSpecialFolderPath(CSIDL_PROGRAMS) + m_info.menuFolder + L"\\" + name + L".lnk";
  }

  // Types the target folder on the destination page and presses Next.
  void ChooseTargetAndGoOn(HWND sheet) {
    const HWND edit = ::GetDlgItem(CurrentPage(sheet), 1000);
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_target.c_str()));
    Click(sheet, kNext);
  }

  SetupInfo m_info;
  std::wstring m_source;
  std::wstring m_target;  // ends in a backslash
  wchar_t m_savedFolder[MAX_PATH] = {};
  win::UniqueBitmap m_picture;
  static inline int s_counter = 0;
};

}  // namespace wizard_test
