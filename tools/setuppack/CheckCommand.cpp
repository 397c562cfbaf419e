// setuppack check: are the discs complete for this package? Each problem is
// a line on stdout (scripts read them); a summary per disc goes to stderr.

#include <cstdio>

#include "CommandSupport.h"
#include "Commands.h"
#include "Console.h"
#include "ProductFiles.h"
#include "Progress.h"
#include "package/Members.h"
#include "package/PackageFile.h"
#include "package/SetupInfo.h"

namespace {

struct DiscSummary {
  std::wstring label;
  bool hasFolder = true;
  unsigned files = 0;
  unsigned missing = 0;  // or no regular file
  unsigned otherSize = 0;
  unsigned otherContent = 0;
  unsigned unreadable = 0;
};

DiscSummary& SummaryOf(std::vector<DiscSummary>& discs, const std::wstring& label) {
  for (DiscSummary& disc : discs) {
    if (disc.label == label) return disc;
  }
  discs.push_back({label});
  return discs.back();
}

std::string Count(unsigned count, const char* what) { return std::to_string(count) + " " + what; }

std::string SummaryLine(const DiscSummary& disc) {
  std::string line =
      "disc " + Quoted(disc.label) + ": " + Count(disc.files, disc.files == 1 ? "file" : "files");
  if (!disc.hasFolder) return line + " not checked, no --disc folder given\n";
  line += " checked, " + Count(disc.missing, "missing") + ", " +
          Count(disc.otherSize, "of another size") + ", " +
          Count(disc.otherContent, "of other content");
  if (disc.unreadable > 0) line += ", " + Count(disc.unreadable, "unreadable");
  return line + "\n";
}

}  // namespace

int RunCheck(const CommandLine& line) {
  CPackageFile package;
  SetupInfo info;
  if (!OpenLikeLauncher(line.package, package, info)) return 1;

  std::vector<std::string> problems;
  // A short size table leaves sizes at 0 in the launcher; the wizard would
  // then under-count the space it needs.
  if (std::optional<std::vector<char>> sizes = package.LoadMember(kSizesMember);
      sizes && sizes->size() != info.files.size() * kFileSizeBytes) {
    problems.push_back("member \"filesize\" holds " + std::to_string(sizes->size()) +
                       " bytes, expected " + std::to_string(info.files.size() * kFileSizeBytes));
  }
  if (std::optional<std::vector<char>> hashes = package.LoadMember(kHashesMember);
      hashes && hashes->size() != info.files.size() * ContentHash().size()) {
    problems.push_back("member \"filehash\" holds " + std::to_string(hashes->size()) +
                       " bytes, expected " +
                       std::to_string(info.files.size() * ContentHash().size()));
  }
  package.Close();

  std::vector<ProductFile> found = LookAtProductFiles(info, line.discs);
  {
    CProgress progress(line.progress, BytesToRead(found));
    ReadProductFiles(info, found, progress);
    progress.Finish();
  }

  // The discs in reading order; the problems in the settings' order.
  std::vector<DiscSummary> discs;
  for (std::size_t index : ReadingOrder(info)) SummaryOf(discs, info.files[index].disc);
  for (std::size_t i = 0; i < info.files.size(); ++i) {
    const FileEntry& file = info.files[i];
    const ProductFile& onDisc = found[i];
    DiscSummary& summary = SummaryOf(discs, file.disc);
    ++summary.files;
    std::string what = "disc " + Quoted(file.disc) + ": file " + Quoted(file.name) + ": ";
    if (onDisc.state == FileState::NoDisc) {
      summary.hasFolder = false;
      problems.push_back(what + "no --disc folder given for this label");
    } else if (onDisc.state == FileState::Missing) {
      ++summary.missing;
      problems.push_back(what + "missing (" + QuotedPath(onDisc.path) + ")");
    } else if (onDisc.state == FileState::NotRegular) {
      ++summary.missing;
      problems.push_back(what + "not a regular file (" + QuotedPath(onDisc.path) + ")");
    } else if (onDisc.state == FileState::Unreadable) {
      ++summary.unreadable;
      problems.push_back(what + "cannot be read (" + QuotedPath(onDisc.path) + ")");
    } else if (onDisc.size != file.size) {  // TooLarge included
      ++summary.otherSize;
      problems.push_back(what + "size " + std::to_string(onDisc.size) + ", package records " +
                         std::to_string(file.size));
    } else if (file.hash && onDisc.hash != *file.hash) {
      ++summary.otherContent;
      problems.push_back(what + "content differs from the package's hash (" +
                         QuotedPath(onDisc.path) + ")");
    }
  }

  std::string report;
  for (const std::string& problem : problems) report += problem + "\n";
  if (!PrintOut(report)) return Fail("cannot write to standard output");
  if (line.progress != ProgressMode::Off) {
    std::string summary;
    for (const DiscSummary& disc : discs) summary += SummaryLine(disc);
    std::fflush(stdout);  // the problems come first where both go to one terminal or file
    PrintErr(summary);    // a lost summary leaves the problems and the exit code as they are
  }
  return problems.empty() ? 0 : 1;
}
