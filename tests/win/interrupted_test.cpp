// An installation ended anywhere: the state that says so, in the registry,
// read and written as the next run and the removal see it, and a run that
// goes on with it in the same folder.
#include <gtest/gtest.h>

#include <windows.h>

#include "NotingHost.h"
#include "TestSupport.h"
#include "install/InstallNames.h"
#include "install/InstallPlan.h"
#include "install/InstallRun.h"
#include "install/Record.h"
#include "install/Removal.h"
#include "install/Shortcuts.h"
#include "install/UninstallEntry.h"
#include "package/ContentHash.h"
#include "package/SetupInfo.h"
#include "win/Handles.h"
#include "win/Registry.h"

namespace {

namespace fs = std::filesystem;

SetupInfo Product(const std::wstring& company) {
  SetupInfo info;
  info.company = company + std::to_wstring(::GetCurrentProcessId());
  info.title = L"星の旅人";
  const std::string settings =
      Cp932(L"項目,パラメータ\r\nタイトル," + info.title + L"\r\n社名," + info.company + L"\r\n");
  info.packageBytes = BuildPackage({{"setting.csv", {settings.begin(), settings.end()}}}).value();
  return info;
}

void Forget(const SetupInfo& info) {
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + info.company).c_str());
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallEntryKeyPath(UninstallEntryKeyName(info)).c_str());
}

struct State {
  bool installed;
  bool interrupted;
  std::wstring folder;  // "": none
  bool operator==(const State& o) const {
    return installed == o.installed && interrupted == o.interrupted && folder == o.folder;
  }
};
std::ostream& operator<<(std::ostream& out, const State& s) {
  return out << s.installed << " " << s.interrupted << " " << testing::PrintToString(s.folder);
}
State Read(const SetupInfo& info) {
  const RecordedInstall r = ReadInstallRecord(info);
  return {r.installed, r.interrupted, r.folder ? r.folder->Path() : L""};
}

TEST(InstallState, InterruptedUntilThePathIsWrittenAndNeverBetween) {
  const SetupInfo info = Product(L"中断工房");
  Forget(info);
  const std::wstring key = InstallRecordKeyPath(info);
  const InstallFolder a = *PlainInstallFolder(L"C:\\Games\\A"), b = *PlainInstallFolder(L"D:\\B\\");
  EXPECT_EQ(Read(info), (State{false, false, L""}));
  // Begun: the folder is known before anything is written into it.
  ASSERT_EQ(RecordInterrupted(info, a), ERROR_SUCCESS);
  EXPECT_EQ(Read(info), (State{false, true, L"C:\\Games\\A\\"}));
  // A value written by hand, relative, names no folder to write or delete in.
  ASSERT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, key, kIncompleteValue, L"Games"), ERROR_SUCCESS);
  EXPECT_EQ(Read(info), (State{false, true, L""}));
  // Ended between the record and the value's deletion: installed, in the
  // record's folder.
  ASSERT_EQ(RecordInterrupted(info, a), ERROR_SUCCESS);
  ASSERT_EQ(WriteInstallRecord(info, b), ERROR_SUCCESS);
  EXPECT_EQ(Read(info), (State{true, false, L"D:\\B\\"}));
  ASSERT_EQ(RecordInterrupted(info, std::nullopt), ERROR_SUCCESS);
  EXPECT_EQ(RecordInterrupted(info, std::nullopt), ERROR_SUCCESS);  // gone already
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, kIncompleteValue, L"-"), L"-");
  // The removal takes both values and the key.
  ASSERT_EQ(RecordInterrupted(info, a), ERROR_SUCCESS);
  EXPECT_TRUE(DeleteInstallRecord(info));
  EXPECT_EQ(Read(info), (State{false, false, L""}));
  Forget(info);
}

// The file's identity: a file written again under its name is a new one.
std::uint64_t FileIndex(const fs::path& path) {
  const win::UniqueFile file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION data{};
  if (!file || !::GetFileInformationByHandle(file.get(), &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
}

TEST(InstallState, AnInstallationGoesOnKeepingOnlyWholeFiles) {
  CTestFolder test;
  const fs::path source = test.Path() / "disc", target = test.Path() / "game";
  SetupInfo info = Product(L"続行工房");
  Forget(info);
  const std::string bytes[] = {"whole", "cut short", "changed", "never begun", "left partial"};
  const wchar_t* names[] = {L"a.dat", L"d\\b.dat", L"c.dat", L"d\\e.dat", L"f.dat"};
  fs::create_directories(source / "d");
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(WriteBytes(source / names[i], bytes[i]));
    CContentHasher hasher;
    hasher.Update(bytes[i].data(), bytes[i].size());
    info.files.push_back(
        {names[i], L"DISC1", static_cast<std::uint32_t>(bytes[i].size()), hasher.Digest()});
  }
  // What a run ended from outside left: a whole file (with another time),
  // one cut short, one of the right size but other bytes, and a copy left
  // under its partial name.
  fs::create_directories(target / "d");
  ASSERT_TRUE(WriteBytes(target / "a.dat", "whole"));
  ASSERT_TRUE(WriteBytes(target / "d" / "b.dat", "cut"));
  ASSERT_TRUE(WriteBytes(target / "c.dat", "CHANGED"));
  ASSERT_TRUE(WriteBytes(target / (std::wstring(L"f.dat") + kPartialSuffix), "left"));
  const InstallFolder folder = *PlainInstallFolder(target.wstring());
  ASSERT_EQ(RecordInterrupted(info, folder), ERROR_SUCCESS);
  const std::uint64_t kept = FileIndex(target / "a.dat");

  CNotingHost host;
  ASSERT_TRUE(
      RunInstall(InstallPlanFor(info, folder, InstallSources(source.wstring(), false)), host));
  EXPECT_NE(host.m_strNotes.find(L"going on with the interrupted installation in " + folder.Path()),
            std::wstring::npos);
  EXPECT_NE(host.m_strNotes.find(L"1 of 5 files were complete already and kept"),
            std::wstring::npos)
      << host.m_strNotes;
  EXPECT_EQ(FileIndex(target / "a.dat"), kept);
  for (int i = 0; i < 5; ++i) {
    std::ifstream in(target / names[i], std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes[i]) << names[i];
  }
  for (const wchar_t* name : names)
    EXPECT_FALSE(fs::exists(target / (std::wstring(name) + kPartialSuffix))) << name;
  EXPECT_EQ(Read(info), (State{true, false, folder.Path()}));
  // Its own file held open, it can be neither read nor deleted: left, so the
  // record and entry stay for another try, never reported removed.
  {
    const win::UniqueFile held(::CreateFileW((target / "a.dat").c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    const UninstallResult result = UninstallProduct(info, folder, {}, RemovalOf::kInterrupted);
    EXPECT_EQ(result.filesLeft, 1u);
    EXPECT_EQ(result.firstLeft, folder.Path() + L"a.dat");
  }

  // Begun elsewhere: the interrupted installation goes first, whole.
  ASSERT_TRUE(UninstallProduct(info, folder).Complete());
  const fs::path other = test.Path() / "other";
  ASSERT_EQ(RecordInterrupted(info, folder), ERROR_SUCCESS);
  ASSERT_TRUE(WriteBytes(target / "a.dat", "whole"));
  ASSERT_TRUE(WriteBytes(target / "c.dat", "CHANGED"));  // not the run's: it stays
  ASSERT_TRUE(WriteBytes(target / (std::wstring(L"f.dat") + kPartialSuffix), "left"));
  CNotingHost elsewhere;
  ASSERT_TRUE(RunInstall(InstallPlanFor(info, *PlainInstallFolder(other.wstring()),
                                        InstallSources(source.wstring(), false)),
                         elsewhere));
  EXPECT_FALSE(fs::exists(target / "a.dat"));
  EXPECT_TRUE(fs::exists(target / "c.dat"));
  EXPECT_FALSE(fs::exists(target / (std::wstring(L"f.dat") + kPartialSuffix)));
  EXPECT_EQ(Read(info), (State{true, false, other.wstring() + L"\\"}));
  EXPECT_TRUE(UninstallProduct(info, ReadInstallRecord(info).folder).Complete());
  RemoveProductLinks(info);
  Forget(info);
}

}  // namespace
