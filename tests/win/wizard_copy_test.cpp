// The copy page and its worker: files, disc prompts, failures, Cancel, and
// what an installation leaves behind (files, times, links, record).
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>

#include "wizard/CopyPage.h"
#include "wizard_driver.h"

using namespace wizard_test;

TEST(ProgressPosition, StaysWithinTheBar) {
  struct Case {
    std::uint64_t copied, total;
    int position;
  } const cases[] = {
      {0, 0, 0},
      {1, 0, 100},                 // nothing listed: full once anything moved
      {0, 1000, 0},
      {999, 1000, 99},             // truncating
      {1000, 1000, 100},
      {5000, 1000, 100},           // larger than listed: stays full
      {0x100000000ull, 0x200000000ull, 50},  // no 32-bit wrap
      {0xFFFFFFFFFFFFFFFEull, 0xFFFFFFFFFFFFFFFFull, 99},  // no 64-bit overflow
      {0x0200000000000000ull, 0x0400000000000000ull, 50},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressPosition(c.copied, c.total), c.position) << c.copied << "/" << c.total;
  }
}

namespace {

// Sees, on the wizard's thread, every position the worker sends, before the
// bar does; onPosition may press buttons there, in step with the worker.
struct ProgressWatch {
  static inline std::vector<int> positions;
  static inline std::function<void(int)> onPosition;
  static inline HHOOK hook = nullptr;

  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == PBM_SETPOS &&
        ClassOf(message->hwnd) == PROGRESS_CLASSW) {
      const int position = static_cast<int>(message->wParam);
      positions.push_back(position);
      if (onPosition) onPosition(position);
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
  }
  ProgressWatch() {
    positions.clear();
    hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId());
  }
  ~ProgressWatch() {
    ::UnhookWindowsHookEx(hook);
    onPosition = nullptr;
  }
};

// Presses the sheet's Cancel button on the wizard's thread, as a click would.
void PressCancelNow() {
  const HWND sheet = FindSheet();
  ::SendMessageW(::GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
}

struct LinkContents {
  std::wstring target;
  std::wstring workingFolder;
};

std::optional<LinkContents> ReadLink(const std::wstring& linkFile) {
  win::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void())))
    return std::nullopt;
  win::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return std::nullopt;
  if (FAILED(file->Load(linkFile.c_str(), STGM_READ))) return std::nullopt;
  PIDLIST_ABSOLUTE raw = nullptr;
  if (FAILED(link->GetIDList(&raw))) return std::nullopt;
  const UniqueItemList items(raw);
  wchar_t folder[MAX_PATH] = {};
  link->GetWorkingDirectory(folder, MAX_PATH);
  return LinkContents{PathFromItemList(items.get()), folder};
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

class CopyPage : public InstallFixture {
 protected:
  // Goes through the destination page to the copy page with the fixture's
  // target folder; returns the sheet.
  HWND StartCopy() {
    const HWND sheet = WaitForSheet();
    WaitForPage(sheet, 0);
    ChooseTargetAndGoOn(sheet);
    return sheet;
  }

  void FinishWizard(HWND sheet) {
    WaitForPage(sheet, 2);
    Click(sheet, kFinish);
    WaitForClose(sheet);
  }

  void ExpectNothingButFiles() {
    EXPECT_TRUE(Record().empty());
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_FALSE(Exists(MenuLink(m_info.title)));
  }
};

TEST_F(CopyPage, InstallsFilesTimesLinksAndRecord) {
  AddFile(L"game.exe", Pattern(70000, 1));
  AddFile(L"data\\stage1.dat", Pattern(300000, 2));
  AddFile(L"表示\\config.exe", Pattern(65536, 3));  // exactly one chunk
  AddFile(L"empty.dat", "");
  AddFile(L"readme.txt", Pattern(10, 4));
  // An old time, unlike the copy's own.
  FILETIME old{0x12345600, 0x01D00000};
  {
    win::UniqueFile file(::CreateFileW((m_source + L"\\data\\stage1.dat").c_str(),
                                       FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ::SetFileTime(file.get(), nullptr, nullptr, &old);
  }
  ProgressWatch watch;
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    WaitForPage(sheet, 2);
    const HWND endPage = CurrentPage(sheet);
    EXPECT_EQ(Text(::GetDlgItem(sheet, kFinish)), L"完了");
    EXPECT_TRUE(Usable(::GetDlgItem(sheet, kFinish)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet, kBack)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet, kNext)));
    EXPECT_FALSE(Usable(::GetDlgItem(sheet, kHelp)));
    EXPECT_NE(endPage, nullptr);
    Click(sheet, kFinish);
    WaitForClose(sheet);
  });

  for (const FileEntry& file : m_info.files) {
    const std::wstring source = m_source + L"\\" + file.name;
    const std::wstring copy = m_target + file.name;
    EXPECT_EQ(ReadAll(copy), ReadAll(source)) << file.size;
    EXPECT_TRUE(SameTime(LastWrite(copy), LastWrite(source))) << file.size;
  }
  EXPECT_TRUE(SameTime(LastWrite(m_target + L"data\\stage1.dat"), old));
  EXPECT_EQ(Record(), m_target);

  struct Link {
    std::wstring file;
    std::wstring target;
    std::wstring folder;
  } const links[] = {
      {DesktopLink(), m_target + L"game.exe", m_target.substr(0, m_target.size() - 1)},
      {MenuLink(m_info.title), m_target + L"game.exe", m_target.substr(0, m_target.size() - 1)},
      {MenuLink(L"お読みください"), m_target + L"readme.txt", m_target.substr(0, m_target.size() - 1)},
      {MenuLink(L"表示設定"), m_target + L"表示\\config.exe", m_target + L"表示"},
  };
  for (const Link& link : links) {
    const std::optional<LinkContents> contents = ReadLink(link.file);
    ASSERT_TRUE(contents) << testing::PrintToString(link.file);
    EXPECT_TRUE(contents->target == link.target) << testing::PrintToString(contents->target);
    EXPECT_TRUE(contents->workingFolder == link.folder)
        << testing::PrintToString(contents->workingFolder);
  }

  // The bar moved forward only, ended full, and was not sent the same
  // position twice in a row (nor every position: sends are paced).
  ASSERT_FALSE(watch.positions.empty());
  EXPECT_EQ(watch.positions.back(), 100);
  for (std::size_t i = 1; i < watch.positions.size(); ++i) {
    EXPECT_LT(watch.positions[i - 1], watch.positions[i]);
  }
}

TEST_F(CopyPage, NoFilesGoesStraightToTheFinishPage) {
  ProgressWatch watch;
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    WaitForPage(sheet, 2);
    ::Sleep(200);  // every posted button state has arrived by now
    EXPECT_EQ(Text(::GetDlgItem(sheet, kFinish)), L"完了");
    EXPECT_TRUE(Usable(::GetDlgItem(sheet, kFinish)));
    Click(sheet, kFinish);
    WaitForClose(sheet);
  });
  EXPECT_EQ(watch.positions, std::vector<int>{0});
  EXPECT_EQ(Record(), m_target);
  EXPECT_TRUE(Exists(DesktopLink()));
}

TEST_F(CopyPage, CancelAnsweredNoCopiesOnAndSeveralPressesAskOnce) {
  AddFile(L"first.dat", Pattern(1000, 5));  // the first position is sent within large.dat
  AddFile(L"large.dat", Pattern(8 << 20, 6));
  int questions = 0;
  ProgressWatch watch;
  ProgressWatch::onPosition = [](int position) {
    // The first position sent: the worker is early in its first file.
    static bool pressed = false;
    if (position > 0 && !pressed) {
      pressed = true;
      for (int i = 0; i < 3; ++i) PressCancelNow();
    }
  };
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    // During the copy every wizard button but Cancel is off.
    WaitFor([&] { return PageIndex(sheet) == 1; });
    Box box = WaitForBox();
    EXPECT_EQ(box.text, L"インストールを中断しますか？");
    EXPECT_EQ(box.caption, L"インストール");
    EXPECT_EQ(box.defaultButton, IDNO);
    EXPECT_FALSE(Usable(::GetDlgItem(sheet, kNext)));
    EXPECT_FALSE(Usable(::GetDlgItem(sheet, kBack)));
    ++questions;
    Answer(box, IDNO);
    while (PageIndex(sheet) != 2) {
      if (FindBox()) {
        ++questions;
        Answer(ReadBox(FindBox()), IDNO);
      }
      ::Sleep(5);
    }
    FinishWizard(sheet);
  });
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(ReadAll(m_target + L"large.dat"), Pattern(8 << 20, 6));
  EXPECT_EQ(Record(), m_target);
}

TEST_F(CopyPage, CancelAnsweredYesRemovesOnlyThePartialFile) {
  AddFile(L"first.dat", Pattern(1000, 7));  // the first position is sent within large.dat
  AddFile(L"large.dat", Pattern(8 << 20, 8));
  AddFile(L"last.dat", Pattern(1000, 9));
  ProgressWatch watch;
  ProgressWatch::onPosition = [](int position) {
    static bool pressed = false;
    if (position > 0 && !pressed) {
      pressed = true;
      PressCancelNow();
    }
  };
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    Answer(WaitForBox(), IDYES);
    WaitForClose(sheet);
  });
  EXPECT_EQ(ReadAll(m_target + L"first.dat"), Pattern(1000, 7));
  EXPECT_FALSE(Exists(m_target + L"large.dat"));
  EXPECT_FALSE(Exists(m_target + L"last.dat"));
  ExpectNothingButFiles();
  EXPECT_TRUE(Exists(m_source + L"\\large.dat"));
}

TEST_F(CopyPage, MissingFileAsksForItsDiscUntilItIsThere) {
  AddFile(L"disc1.dat", Pattern(1000, 10));
  AddFile(L"bgm\\テーマ曲.dat", Pattern(200000, 11), L"DISC2");
  const std::wstring second = m_source + L"\\bgm\\テーマ曲.dat";
  const std::wstring aside = m_source + L"\\aside.dat";
  ASSERT_TRUE(::MoveFileW(second.c_str(), aside.c_str()));  // the second disc is not in
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    Box disc = WaitForBox();
    EXPECT_EQ(disc.text, L"DISC2を挿入してください。");
    EXPECT_EQ(disc.caption, L"インストール");
    EXPECT_EQ(disc.buttons, (std::vector<int>{IDOK, IDCANCEL}));
    Answer(disc, IDOK);  // still not there: asked again
    disc = WaitForBox();
    EXPECT_EQ(disc.text, L"DISC2を挿入してください。");
    Answer(disc, IDCANCEL);
    Box abort = WaitForBox();
    EXPECT_EQ(abort.text, L"インストールを中断しますか？");
    EXPECT_EQ(abort.defaultButton, IDNO);
    Answer(abort, IDNO);  // back to the disc
    disc = WaitForBox();
    EXPECT_EQ(disc.text, L"DISC2を挿入してください。");
    ::MoveFileW(aside.c_str(), second.c_str());
    Answer(disc, IDOK);
    FinishWizard(sheet);
  });
  EXPECT_EQ(ReadAll(m_target + L"bgm\\テーマ曲.dat"), Pattern(200000, 11));
  EXPECT_EQ(Record(), m_target);
}

TEST_F(CopyPage, MissingDiscAbandonedLeavesEarlierFilesOnly) {
  AddFile(L"disc1.dat", Pattern(1000, 12));
  m_info.files.push_back({L"nowhere.dat", L"DISC2", 10});
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    Answer(WaitForBox(), IDCANCEL);
    Answer(WaitForBox(), IDYES);
    WaitForClose(sheet);
  });
  EXPECT_EQ(ReadAll(m_target + L"disc1.dat"), Pattern(1000, 12));
  ExpectNothingButFiles();
}

TEST_F(CopyPage, FailedCopyRetriedCompletesAndCountsOnce) {
  AddFile(L"a.dat", Pattern(300000, 13));
  AddFile(L"b.dat", Pattern(300000, 14));
  // b.dat's destination is held open by someone else at first.
  ::CreateDirectoryW(m_target.c_str(), nullptr);
  win::UniqueFile blocker(::CreateFileW((m_target + L"b.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(blocker);
  ProgressWatch watch;
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    Box box = WaitForBox();
    EXPECT_EQ(box.text, L"b.datのコピーに失敗しました。");
    EXPECT_EQ(box.caption, L"インストール");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDRETRY}));
    Answer(box, IDRETRY);  // still held: fails again
    box = WaitForBox();
    blocker.reset();
    Answer(box, IDRETRY);
    FinishWizard(sheet);
  });
  EXPECT_EQ(ReadAll(m_target + L"b.dat"), Pattern(300000, 14));
  // a.dat ends at 50; b.dat counts from there once: 100 only at its end.
  ASSERT_FALSE(watch.positions.empty());
  EXPECT_EQ(watch.positions.back(), 100);
  EXPECT_EQ(std::count(watch.positions.begin(), watch.positions.end(), 100), 1);
  EXPECT_EQ(std::count(watch.positions.begin(), watch.positions.end(), 50), 1);
}

TEST_F(CopyPage, FailedCopyCancelledNeverDeletesAFileItDidNotWrite) {
  // Installing onto the disc itself: each destination is its own source,
  // which the worker holds open, so the destination cannot be opened. The
  // source must survive the failure and the abort.
  AddFile(L"game.exe", Pattern(5000, 15));
  m_target = m_source + L"\\";
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = StartCopy();
    Box box = WaitForBox();
    EXPECT_EQ(box.text, L"game.exeのコピーに失敗しました。");
    Answer(box, IDCANCEL);
    Box abort = WaitForBox();
    EXPECT_EQ(abort.text, L"インストールを中断しますか？");
    Answer(abort, IDYES);
    WaitForClose(sheet);
  });
  EXPECT_EQ(ReadAll(m_source + L"\\game.exe"), Pattern(5000, 15));
  ExpectNothingButFiles();
  m_target.clear();  // nothing of ours to remove there
}
