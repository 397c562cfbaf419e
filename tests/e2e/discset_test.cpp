// A set's discs side by side: images mounted as drives Q:, R: and S:, a set
// copied into folders named after its labels. Each disc's files are taken
// from wherever that disc is; another disc of the same names never is.
#include <gtest/gtest.h>

#include "Steps.h"

namespace e2e {

namespace {

const BoxIs kDisc2Box{L"DISC2を挿入してください。", L"インストール", {IDOK, IDCANCEL}};

std::wstring Folder(const std::wstring& fixture) { return DefaultFolder(fixture) + L"\\"; }

// Every file of the sample as on its discs, bytes and times.
Step SampleIntact() {
  std::vector<Step> discs;
  for (const std::wstring label : {L"DISC1", L"DISC2"}) {
    std::vector<std::wstring> names;
    for (const FileEntry& file : Product(L"sample").files)
      if (file.disc == label) names.push_back(file.name);
    discs.push_back(Files(Folder(L"sample"), FixtureDisc(L"sample", label), names));
  }
  return Steps(discs);
}

TEST(DiscSet, UnattendedTakesEachDiscFromItsDriveAndNeverAnotherProducts) {
  const std::wstring multi = Folder(L"multi");
  Play({// Two drives: disc 2 in S:, R: empty.
        Insert(L"sample"), Insert(L"sample", L"DISC2", L's'), Silent(L"Q:\\setup.exe", L"/S", 0),
        SampleIntact(), RecordIs(L"sample", Folder(L"sample")),
        LogHas(L"sample", L"the files of disc DISC1 are found in Q:\\"),
        LogHas(L"sample", L"the files of disc DISC2 are found in S:\\"),
        LogHas(L"sample", L"copied data\\stage2.dat from S:\\data\\stage2.dat"),
        Silent(L"Q:\\setup.exe", L"/uninstall /S", 0),
        // Three: the copy in R: differs by one byte, so its copy goes and S:'s is taken.
        Insert(L"sample", L"DISC2", L'r'), Flip(L"R:\\data\\stage2.dat"),
        Silent(L"Q:\\setup.exe", L"/S", 0), SampleIntact(),
        LogHas(L"sample", L"passed over R:\\data\\stage2.dat: not the file the package lists"),
        // Another product's disc 2 in both: the same names, not its files.
        Insert(L"multi"), Silent(L"Q:\\setup.exe", L"/S", 3),
        LogHas(L"multi",
               L"failed with exit code 3: the files of disc DISC2 were not found: "
               L"data\\stage2.dat is neither in Q:\\ nor in R:\\ nor in S:\\"),
        Exists(multi + L"data\\stage2.dat", false), RecordIs(L"multi", L"")});
}

TEST(DiscSet, TheWizardAsksOnlyForADiscInNoDriveAndFindsItInAThirdAfterOK) {
  const std::wstring multi = Folder(L"multi"), set = WorkDir() + L"\\set";
  Play({// Disc 2 in R: is taken without a question.
        Insert(L"sample"), Insert(L"sample", L"DISC2", L'r'), Start(L"Q:\\setup.exe", L"sample"),
        Click(IDC_INSTALL), Page(0), Next(), Page(2), Finish(), SampleIntact(), Close(),
        // The sample's disc 2 is not this product's: asked for, then mounted in S:.
        Insert(L"multi"), Start(L"Q:\\setup.exe", L"multi"), Click(IDC_INSTALL), Page(0), Next(),
        Box(kDisc2Box, kKeep), Insert(L"multi", L"DISC2", L's'), Answer(IDOK), Page(2), Finish(),
        Files(multi, FixtureDisc(L"multi", L"DISC2"),
              {L"data\\stage2.dat", L"data\\empty.dat", L"bgm\\テーマ曲.dat"}),
        RecordIs(L"multi", multi), Close(),
        // A set copied into folders named after its labels (a folder short
        // enough for the long title).
        CopySet(L"longtitle", set, {L"DISC1", L"DISC2"}),
        Start(set + L"\\DISC1\\setup.exe", L"longtitle"), Click(IDC_INSTALL), Page(0),
        Type(L"C:\\長"), Next(), Page(2), Finish(),
        Files(L"C:\\長", set + L"\\DISC2", {L"data\\stage2.dat"}), Close()});
}

TEST(DiscSet, TheEntrysRepairRestoresTwoDiscsFromTwoDrivesWithoutAsking) {
  const std::wstring folder = Folder(L"sample"), copy = folder + L"uninstall\\setup.exe";
  const BoxIs restored{L"2個のファイルを復元しました。", L"修復", {IDOK}};
  Play({Insert(L"sample"), Insert(L"sample", L"DISC2", L'r'), Silent(L"Q:\\setup.exe", L"/S", 0),
        Delete(folder + L"game.exe"), Delete(folder + L"data\\stage2.dat"), Spawn(copy, L"/repair"),
        Box({{}, L"修復", {IDYES, IDNO}}, IDYES), Page(1), Finish(), Box(restored, IDOK), Exited(0),
        SampleIntact(),
        // Unattended, the same.
        Flip(folder + L"bgm\\テーマ曲.dat"), Silent(copy, L"/repair /S", 0),
        LogHas(L"sample", L"copied bgm\\テーマ曲.dat from R:\\bgm\\テーマ曲.dat"), SampleIntact()});
}

}  // namespace

}  // namespace e2e
