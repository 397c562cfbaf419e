// The destination page and the wizard's buttons, driven like a user would.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "package/InstallRecord.h"
#include "wizard/InstallFolder.h"
#include "wizard_driver.h"

using namespace wizard_test;

namespace {

constexpr int kFolderEdit = 1000, kSpaceText = 1008, kPicture = 1007;

std::wstring Item(HWND page, int id) { return Text(::GetDlgItem(page, id)); }

void SetFolder(HWND sheet, const std::wstring& text) {
  ::SendMessageW(::GetDlgItem(CurrentPage(sheet), kFolderEdit), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

TEST(InstallFolderTexts, FollowTheFolderText) {
  struct Case {
    const wchar_t* folder;
    const wchar_t* query;
  } const cases[] = {
      {L"C:\\Program Files\\X", L"C:\\"}, {L"D:", L"D:\\"},   {L"D:Games", L"D:\\"},
      {L"\\\\server\\share\\x", L"\\\\server\\share\\x"}, {L"", L""}, {L"Games\\x:y", L"Games\\x:\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(FreeSpaceQueryPath(c.folder), c.query);

  // Kilobytes round down and stay whole beyond 2 TiB.
  EXPECT_EQ(FormatSpaceText(1023, L"C:\\", 2048),
            L"必要な容量\t0KB\nC:\\ の空き容量\t2KB");
  EXPECT_EQ(FormatSpaceText(0x20000000000ull + 1024, L"D:\\", 0xFFFFFFFFFFFFFFFFull),
            L"必要な容量\t2147483649KB\nD:\\ の空き容量\t18014398509481983KB");

  EXPECT_EQ(DefaultInstallFolder(L"C:\\Program Files\\", L"工房", L"星"), L"C:\\Program Files\\工房\\星");
  EXPECT_EQ(DefaultInstallFolder(L"", L"工房", L"星"), L"C:\\Program Files\\工房\\星");
  EXPECT_EQ(DefaultInstallFolder(L"C:\\PF", L"", L"星"), L"C:\\PF\\\\星");  // kept as it is

  struct Full {
    const wchar_t* folder;
    bool full;
  } const fulls[] = {
      {L"C:\\Games\\", true}, {L"c:\\", true},          {L"\\\\server\\share\\", true},
      {L"\\", false},         {L"Games\\", false},      {L"C:Games\\", false},
      {L"\\Games\\", false},  {L"\\\\server\\", false}, {L"\\\\\\x\\", false},
      {L"１:\\x\\", false},
  };
  for (const Full& f : fulls) EXPECT_EQ(IsFullFolderPath(f.folder), f.full) << f.full;
}

class DestinationPage : public InstallFixture {};

TEST_F(DestinationPage, ProposesTheDefaultShowsTheSpaceAndAsksBeforeCancel) {
  AddFile(L"data\\stage1.dat", Pattern(5000, 1));
  AddFile(L"game.exe", Pattern(3000, 2));
  const HBITMAP picture = m_picture.get();
  Session::Run(m_info, picture, [&] {
    const HWND sheet = WaitForSheet();
    WaitForPage(sheet, 0);
    const HWND page = CurrentPage(sheet);
    EXPECT_EQ(Text(sheet), L"インストール");
    EXPECT_FALSE(Usable(::GetDlgItem(sheet, kBack)));
    EXPECT_TRUE(Usable(::GetDlgItem(sheet, kNext)));
    EXPECT_FALSE(Usable(::GetDlgItem(sheet, kHelp)));

    const std::wstring programFiles = GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(programFiles.empty());
    EXPECT_EQ(Item(page, kFolderEdit), programFiles + m_info.company + L"\\" + m_info.title);
    // 8000 bytes are 7KB; the free figure is the drive's.
    const std::wstring space = Item(page, kSpaceText);
    const std::wstring head = L"必要な容量\t7KB\n" + programFiles.substr(0, 3) + L" の空き容量\t";
    EXPECT_EQ(space.substr(0, head.size()), head);
    EXPECT_EQ(space.substr(space.size() - 2), L"KB");

    const HWND pictureControl = ::GetDlgItem(page, kPicture);
    EXPECT_EQ(::GetWindowLongPtrW(pictureControl, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
    EXPECT_EQ(reinterpret_cast<HBITMAP>(::SendMessageW(pictureControl, STM_GETIMAGE, IMAGE_BITMAP, 0)),
              picture);

    // Every change of the text queries its drive again.
    struct Typed {
      std::wstring folder;
      std::wstring line;
    } const typed[] = {
        {L"Z:\\Games\\X", L"\nZ:\\ の空き容量\t"},
        {L"\\\\nosuchserver\\share\\x", L"\n\\\\nosuchserver\\share\\x の空き容量\t0KB"},
    };
    for (const Typed& t : typed) {
      SetFolder(sheet, t.folder);
      EXPECT_NE(Item(page, kSpaceText).find(t.line), std::wstring::npos)
          << testing::PrintToString(Item(page, kSpaceText));
    }

    // Cancel asks, with No as the default; No keeps the wizard.
    Click(sheet, IDCANCEL);
    Box box = WaitForBox();
    EXPECT_EQ(box.text, L"インストールを中断しますか？");
    EXPECT_EQ(box.caption, L"中断");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box.defaultButton, IDNO);
    Answer(box, IDNO);
    EXPECT_TRUE(::IsWindow(sheet));
    EXPECT_EQ(PageIndex(sheet), 0);

    Click(sheet, IDCANCEL);
    Answer(WaitForBox(), IDYES);
    WaitForClose(sheet);
  });
  EXPECT_TRUE(m_info.installDir.empty());
  EXPECT_TRUE(Record().empty());
}

TEST_F(DestinationPage, WarnsOnceWhenSpaceIsShortNoKeepsThePageYesGoesOn) {
  AddFile(L"game.exe", Pattern(100, 3));
  // List more than the target drive holds: entries of 4 GiB - 1 bytes each
  // (the copy itself reads the real, small file).
  ULARGE_INTEGER free{};
  ASSERT_TRUE(::GetDiskFreeSpaceExW(FreeSpaceQueryPath(m_target).c_str(), &free, nullptr, nullptr));
  const std::uint64_t entries = free.QuadPart / 0xFFFFFFFFull + 2;
  m_info.files.assign(entries, {L"game.exe", L"DISC1", 0xFFFFFFFFu});
  const std::wstring unreachable = L"\\\\nosuchserver\\share\\x";
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = WaitForSheet();
    WaitForPage(sheet, 0);
    SetFolder(sheet, unreachable);
    Click(sheet, kNext);
    Box box = WaitForBox();
    EXPECT_EQ(box.text, L"インストールに必要な容量が不足しています。\nインストールを続行しますか？");
    EXPECT_EQ(box.caption, L"インストール");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box.defaultButton, IDYES);
    Answer(box, IDNO);
    ::Sleep(100);
    EXPECT_EQ(PageIndex(sheet), 0);
    EXPECT_EQ(Item(CurrentPage(sheet), kFolderEdit), unreachable);
    EXPECT_EQ(m_info.installDir, unreachable + L"\\");  // already taken over

    // Yes goes on despite the shortage, after one question only.
    SetFolder(sheet, m_target);
    Click(sheet, kNext);
    Answer(WaitForBox(), IDYES);
    WaitForPage(sheet, 2);
    EXPECT_EQ(FindBox(), nullptr);
    Click(sheet, kFinish);
    WaitForClose(sheet);
  });
  EXPECT_EQ(m_info.installDir, m_target);
  EXPECT_EQ(ReadAll(m_target + L"game.exe"), Pattern(100, 3));
}

TEST_F(DestinationPage, RefusesAFolderThatIsNotAFullPath) {
  AddFile(L"game.exe", Pattern(100, 4));
  Session::Run(m_info, m_picture.get(), [&] {
    const HWND sheet = WaitForSheet();
    WaitForPage(sheet, 0);
    for (const wchar_t* folder : {L"", L"Games", L"\\Games", L"C:Games"}) {
      SetFolder(sheet, folder);
      Click(sheet, kNext);
      Box box = WaitForBox();
      EXPECT_EQ(box.text, L"インストール先のフォルダを指定してください。");
      EXPECT_EQ(box.caption, L"インストール");
      Answer(box, IDOK);
      ::Sleep(50);
      EXPECT_EQ(PageIndex(sheet), 0);
    }
    Click(sheet, IDCANCEL);
    Answer(WaitForBox(), IDYES);
    WaitForClose(sheet);
  });
  EXPECT_TRUE(m_info.installDir.empty());
}

namespace {

// Wine's view of a Unix folder whose free space nobody changes: devtmpfs
// holds no file data. The text has no colon, so the page queries it whole.
constexpr wchar_t kStableFolder[] = L"\\\\?\\unix\\dev";

// Lists a total of bytes over as many missing files as 32-bit sizes need:
// the copy then stops at the first disc question, before writing anything.
void ListMissingFiles(SetupInfo& info, std::uint64_t total) {
  info.files.clear();
  do {
    const std::uint32_t size = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFFu));
    info.files.push_back({L"missing.dat", L"DISC9", size});
    total -= size;
  } while (total > 0);
}

}  // namespace

TEST_F(DestinationPage, WarnsAtOneByteShortButNotAtEquality) {
  ULARGE_INTEGER free{};
  if (!::GetDiskFreeSpaceExW(kStableFolder, &free, nullptr, nullptr)) {
    GTEST_SKIP() << "no Unix folder of stable free space (not under Wine)";
  }
  struct Case {
    std::uint64_t required;
    bool warned;
  } const cases[] = {{free.QuadPart, false}, {free.QuadPart + 1, true}};
  for (const Case& c : cases) {
    ListMissingFiles(m_info, c.required);
    Session::Run(m_info, m_picture.get(), [&] {
      const HWND sheet = WaitForSheet();
      WaitForPage(sheet, 0);
      SetFolder(sheet, kStableFolder);
      Click(sheet, kNext);
      Box box = WaitForBox();
      if (c.warned) {
        EXPECT_EQ(box.text, L"インストールに必要な容量が不足しています。\nインストールを続行しますか？");
        Answer(box, IDNO);
        Click(sheet, IDCANCEL);
        Answer(WaitForBox(), IDYES);
      } else {
        // No warning: the copy page asks for the (missing) first file.
        EXPECT_EQ(box.text, L"DISC9を挿入してください。");
        Answer(box, IDCANCEL);
        Answer(WaitForBox(), IDYES);
      }
      WaitForClose(sheet);
    });
    // The stable folder really stayed stable meanwhile.
    ULARGE_INTEGER after{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(kStableFolder, &after, nullptr, nullptr));
    EXPECT_EQ(after.QuadPart, free.QuadPart);
  }
}
