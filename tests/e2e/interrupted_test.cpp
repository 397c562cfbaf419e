// Runs ended from outside (as a power cut or the task manager ends them) at
// points spread over an uninterrupted run of the same command, and the run
// after each: what was written is listed and removable, an installation goes
// on keeping its whole files, a removal or a repair comes right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "Process.h"
#include "Steps.h"
#include "win/Registry.h"

namespace e2e {
namespace {

using testing::PrintToString;

constexpr int kPoints = 8;
constexpr DWORD kEndedCode = 0xE2E;  // no exit code of the program's
const std::wstring kDisc = L"Q:\\setup.exe";

std::wstring Folder() { return DefaultFolder(L"many") + L"\\"; }
// Begun: the state beside the record names the folder.
bool Begun() {
  return !ReadRegString(HKEY_LOCAL_MACHINE, RecordKey(L"many"), kIncompleteValue, L"").empty();
}

// Runs the disc's program to its end; its exit code.
DWORD RunToEnd(const std::wstring& program, const std::wstring& arguments) {
  CProcess process = CProcess::Start(program, arguments);
  EXPECT_TRUE(process && process.WaitExit(60000)) << PrintToString(arguments);
  return process.ExitCode();
}

// What the shortest uninterrupted run of arguments took, in ms; read by
// EndAt. The machine's pace varies from run to run: the shortest keeps the
// points inside the runs that are ended.
using Span = std::shared_ptr<DWORD>;
Step Timed(const std::wstring& arguments, Span span) {
  return [=](CRun&) {
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(RunToEnd(kDisc, arguments), 0u);
    const DWORD took = std::max<DWORD>(::GetTickCount() - start, kPoints + 3);
    *span = *span ? std::min(*span, took) : took;
  };
}

// Starts arguments and ends the process from outside at point elevenths of
// span (the last at three quarters: a run may be quicker than the quickest
// measured); ends counts those that met it still running.
Step EndAt(const std::wstring& arguments, Span span, int point, std::shared_ptr<int> ends) {
  return [=](CRun&) {
    CProcess process = CProcess::Start(kDisc, arguments);
    ASSERT_TRUE(process);
    ::Sleep(*span * point / (kPoints + 3));
    const win::UniqueHandle handle(::OpenProcess(PROCESS_TERMINATE, FALSE, process.Id()));
    if (handle) (void)::TerminateProcess(handle.get(), kEndedCode);
    ASSERT_TRUE(process.WaitExit());
    if (process.ExitCode() == kEndedCode) ++*ends;
    // What it left, for the reader of the log.
    std::size_t files = 0;
    for (const FileEntry& file : Product(L"many").files) files += FileExists(Folder() + file.name);
    const std::wstring record =
        ReadRegString(HKEY_LOCAL_MACHINE, RecordKey(L"many"), kInstallRecordValue, L"");
    std::printf(
        "%ls ended at %d/%d of %lu ms (%s): %zu files, %s, %s\n", arguments.c_str(), point,
        kPoints + 3, *span, process.ExitCode() == kEndedCode ? "running" : "done", files,
        !record.empty() ? "installed"
        : Begun()       ? "interrupted"
                        : "no record",
        FileExists(Folder() + L"uninstall\\setup.exe") ? "uninstall copy" : "no uninstall copy");
  };
}
Step MostEnded(std::shared_ptr<int> ends) {
  return [=](CRun&) { EXPECT_GT(*ends, kPoints / 2) << "the runs ended before they were ended"; };
}

// The product's listed files, and with the uninstall copy as the folder lists them.
std::vector<std::wstring> ListedNames() {
  std::vector<std::wstring> names;
  for (const FileEntry& file : Product(L"many").files) names.push_back(file.name);
  return names;
}
std::vector<std::wstring> InstalledNames() {
  std::vector<std::wstring> names = ListedNames();
  names.insert(names.end(), {L"uninstall\\setup", L"uninstall\\setup.exe"});
  std::sort(names.begin(), names.end());
  return names;
}

// Installed whole: every file as on the disc (bytes and time), nothing cut
// short beside them, the links, the record and the entry.
Step Whole() {
  return Steps({Files(Folder(), L"Q:\\", ListedNames()), Listed(Folder(), InstalledNames()),
                RecordIs(L"many", Folder()), RegKey(EntryKey(L"many"), true),
                Link(DesktopLink(L"many"), Folder() + L"game.exe")});
}
// Nothing of it left: the player's own folder content aside, none here.
Step Gone() {
  return Steps({Listed(Folder(), {}), RegKey(EntryKey(L"many"), false),
                RegKey(RecordKey(L"many"), false), Exists(DesktopLink(L"many"), false),
                Exists(MenuLink(L"many"), false)});
}

// An installation ended at each point, then next (which ends with Gone() or
// Whole() checked).
void EndInstallsThen(Step next) {
  const Span span = std::make_shared<DWORD>(0);
  const auto ends = std::make_shared<int>(0);
  std::vector<Step> steps{Insert(L"many"),
                          Timed(L"/S", span),
                          Whole(),
                          Silent(kDisc, L"/uninstall /S", 0),
                          Gone(),
                          Timed(L"/S", span),
                          Silent(kDisc, L"/uninstall /S", 0)};
  for (int point = 1; point <= kPoints; ++point)
    steps.push_back(Steps({EndAt(L"/S", span, point, ends), next}));
  steps.push_back(MostEnded(ends));
  Play(steps);
}

TEST(Interrupted, AnInstallEndedAnywhereIsRemovedByItsEntryOrTheDisc) {
  // Listed from its first file on: the entry's removal takes it. Before its
  // entry only its uninstall copy can be there, which the disc's removal takes.
  EndInstallsThen([](CRun& run) {
    const bool listed = [] {
      win::UniqueKey key;
      return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, EntryKey(L"many").c_str(), 0, KEY_READ,
                             key.put()) == ERROR_SUCCESS;
    }();
    if (listed) {
      EXPECT_EQ(RunToEnd(Folder() + L"uninstall\\setup.exe", L"/uninstall /S"), 0u);
    } else {
      for (const std::wstring& name : ListedNames()) {
        EXPECT_FALSE(FileExists(Folder() + name)) << PrintToString(name) << " is not listed";
        EXPECT_FALSE(FileExists(Folder() + name + kPartialSuffix)) << PrintToString(name);
      }
      EXPECT_EQ(RunToEnd(kDisc, L"/uninstall /S"), Begun() ? 0u : 4u);
    }
    Gone()(run);
  });
}

TEST(Interrupted, AnInstallEndedAnywhereIsRemovedByTheDiscsUninstall) {
  EndInstallsThen([](CRun& run) {
    // Ended after its record, the installation was complete.
    const bool begun =
        Begun() ||
        !ReadRegString(HKEY_LOCAL_MACHINE, RecordKey(L"many"), kInstallRecordValue, L"").empty();
    EXPECT_EQ(RunToEnd(kDisc, L"/uninstall /S"), begun ? 0u : 4u);
    if (begun) LogHas(L"many", L"done with exit code 0")(run);
    Gone()(run);
  });
}

// A file's identity: one written again under its name is another file.
std::uint64_t FileIndex(const std::wstring& path) {
  const win::UniqueFile file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION data{};
  if (!file || !::GetFileInformationByHandle(file.get(), &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
}

TEST(Interrupted, AnInstallEndedAnywhereGoesOnKeepingItsWholeFiles) {
  EndInstallsThen([](CRun& run) {
    const bool begun = Begun();
    std::vector<std::pair<std::wstring, std::uint64_t>> whole;
    for (const std::wstring& name : ListedNames()) {
      if (FileExists(Folder() + name)) whole.emplace_back(name, FileIndex(Folder() + name));
    }
    // Ended after its record, it had put everything in place.
    const bool installed =
        !ReadRegString(HKEY_LOCAL_MACHINE, RecordKey(L"many"), kInstallRecordValue, L"").empty();
    EXPECT_EQ(RunToEnd(kDisc, L"/S"), installed ? 4u : 0u);
    Whole()(run);
    if (begun) {
      LogHas(L"many", L"going on with the interrupted installation in " + Folder())(run);
      LogHas(L"many", std::to_wstring(whole.size()) + L" of " +
                          std::to_wstring(ListedNames().size()) +
                          L" files were complete already")(run);
    }
    // Not written again: the same file, its time the disc's (Whole).
    for (const auto& [name, index] : whole)
      EXPECT_EQ(FileIndex(Folder() + name), index) << PrintToString(name);
    Silent(kDisc, L"/uninstall /S", 0)(run);
    Gone()(run);
  });
}

TEST(Interrupted, ARemovalEndedAnywhereIsFinishedByTheNext) {
  const Span span = std::make_shared<DWORD>(0);
  const auto ends = std::make_shared<int>(0);
  std::vector<Step> steps{Insert(L"many"), Silent(kDisc, L"/S", 0), Timed(L"/uninstall /S", span),
                          Gone(),          Silent(kDisc, L"/S", 0), Timed(L"/uninstall /S", span)};
  for (int point = 1; point <= kPoints; ++point) {
    steps.push_back(
        Steps({Silent(kDisc, L"/S", 0), EndAt(L"/uninstall /S", span, point, ends), [](CRun& run) {
                 // Ended after its last step, it leaves nothing to do.
                 const DWORD code = RunToEnd(kDisc, L"/uninstall /S");
                 EXPECT_TRUE(code == 0 || code == 4) << code;
                 Gone()(run);
               }}));
  }
  steps.push_back(MostEnded(ends));
  Play(steps);
}

TEST(Interrupted, ARepairEndedAnywhereIsFinishedByTheNext) {
  // Half the files gone; the repair restores them.
  std::vector<Step> damage;
  for (const std::wstring& name : ListedNames())
    if (name.rfind(L"data\\2", 0) == 0 || name.rfind(L"data\\3", 0) == 0)
      damage.push_back(Delete(Folder() + name));
  const Span span = std::make_shared<DWORD>(0);
  const auto ends = std::make_shared<int>(0);
  std::vector<Step> steps{Insert(L"many"),
                          Silent(kDisc, L"/S", 0),
                          Steps(damage),
                          Timed(L"/repair /S", span),
                          Whole(),
                          Steps(damage),
                          Timed(L"/repair /S", span)};
  for (int point = 1; point <= kPoints; ++point) {
    steps.push_back(Steps({Steps(damage), EndAt(L"/repair /S", span, point, ends),
                           Silent(kDisc, L"/repair /S", 0), Whole()}));
  }
  steps.push_back(MostEnded(ends));
  Play(steps);
}

}  // namespace
}  // namespace e2e
