// Where a run looks for a disc's file: the source's own places first, then
// the same path on every other CD-ROM drive, never the source's drive twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "install/InstallPlan.h"
#include "win/Paths.h"

namespace {

using Folders = std::vector<std::wstring>;

TEST(InstallSources, OwnPlacesThenTheSamePathOnEveryOtherDriveInOrder) {
  const Folders drives{L"D:\\", L"Q:\\", L"R:\\"};
  const Folders setOnDrives{L"D:\\set\\DISC1\\", L"Q:\\set\\DISC1\\", L"R:\\set\\DISC1\\"};
  struct Case {
    const wchar_t* source;
    bool everyDisc;
    const wchar_t* disc;
    Folders own;
    Folders onDrives;
  } const cases[] = {
      {L"Q:\\", true, L"DISC2", {L"Q:\\"}, {L"D:\\", L"R:\\"}},
      // The drive is recognised in any case; a root has no label folder beside it.
      {L"q:\\", true, L"DISC2", {L"q:\\"}, {L"D:\\", L"R:\\"}},
      {L"E:\\set\\DISC1", true, L"DISC2", {L"E:\\set\\DISC1\\", L"E:\\set\\DISC2\\"}, setOnDrives},
      // The source folder is the label's own folder: looked in once.
      {L"E:\\set\\DISC1\\", true, L"disc1", {L"E:\\set\\DISC1\\"}, setOnDrives},
      // A label that is no plain folder name never leads out of the set.
      {L"E:\\set\\DISC1\\", true, L"..\\..", {L"E:\\set\\DISC1\\"}, setOnDrives},
      {L"\\\\srv\\share\\set\\",
       true,
       L"DISC2",
       {L"\\\\srv\\share\\set\\", L"\\\\srv\\share\\DISC2\\"},
       {L"D:\\set\\", L"Q:\\set\\", L"R:\\set\\"}},
      {L"Q:\\", false, L"DISC2", {L"Q:\\"}, {}},
      {L"E:\\set\\DISC1\\", false, L"DISC2", {L"E:\\set\\DISC1\\"}, {}},
  };
  for (const Case& c : cases) {
    const InstallSources sources(c.source, c.everyDisc);
    const FileEntry file{L"data\\stage2.dat", c.disc, 1472, {}};
    EXPECT_EQ(sources.OwnFoldersOf(file), c.own) << c.source << L" " << c.disc;
    EXPECT_EQ(sources.DriveFolders(drives), c.onDrives) << c.source;
  }
}

TEST(InstallSources, TheDiscsFolderIsKnownUnderAnotherName) {
  // Wine names every folder of drive C: also from its Unix root, Z:.
  wchar_t value[MAX_PATH] = {};
  const std::wstring prefix(value, ::GetEnvironmentVariableW(L"WINEPREFIX", value, MAX_PATH));
  if (prefix.empty()) GTEST_SKIP() << "not under Wine";
  CTestFolder folder;
  std::wstring unix = L"Z:" + prefix + L"/drive_c" + folder.Path().wstring().substr(2);
  std::replace(unix.begin(), unix.end(), L'/', L'\\');
  EXPECT_FALSE(SameFolder(folder.Path().wstring(), unix));
  EXPECT_TRUE(SameFolderOnDisk(folder.Path().wstring(), unix)) << unix;
  EXPECT_FALSE(SameFolderOnDisk(folder.Path().wstring(), L"C:\\"));
  EXPECT_FALSE(SameFolderOnDisk(folder.Path().wstring() + L"\\none", L"C:\\none"));
}

}  // namespace
