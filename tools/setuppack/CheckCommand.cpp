// setuppack check: are the discs complete for this package?

#include "CommandSupport.h"
#include "Commands.h"
#include "Console.h"
#include "package/Members.h"
#include "package/PackageFile.h"
#include "package/SetupInfo.h"

int RunCheck(const CommandLine& line) {
  CPackageFile package;
  SetupInfo info;
  if (!OpenLikeLauncher(line.package, package, info)) return 1;
  LoadFileHashes(package, info);

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

  for (const FileEntry& file : info.files) {
    std::string what = "disc " + Quoted(file.disc) + ": file " + Quoted(file.name) + ": ";
    const DiscFolder* disc = FindDisc(line.discs, file.disc);
    if (disc == nullptr) {
      problems.push_back(what + "no --disc folder given for this label");
      continue;
    }
    std::filesystem::path path = DiscFilePath(disc->folder, file.name);
    ProductFile found = InspectProductFile(path);
    if (found.state == FileState::Missing) {
      problems.push_back(what + "missing (" + QuotedPath(path) + ")");
    } else if (found.state == FileState::NotRegular) {
      problems.push_back(what + "not a regular file (" + QuotedPath(path) + ")");
    } else if (found.state == FileState::Unreadable) {
      problems.push_back(what + "cannot be read (" + QuotedPath(path) + ")");
    } else if (found.size != file.size) {
      problems.push_back(what + "size " + std::to_string(found.size) + ", package records " +
                         std::to_string(file.size));
    } else if (file.hash && found.hash != *file.hash) {
      problems.push_back(what + "content differs from the package's hash (" + QuotedPath(path) +
                         ")");
    }
  }

  std::string report;
  for (const std::string& problem : problems) report += problem + "\n";
  if (!PrintOut(report)) return Fail("cannot write to standard output");
  return problems.empty() ? 0 : 1;
}
