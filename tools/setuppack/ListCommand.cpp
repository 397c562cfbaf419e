// setuppack list and setuppack extract: the package's index and members.

#include "CommandSupport.h"
#include "Commands.h"
#include "Console.h"
#include "Cp932Encoder.h"
#include "FileIo.h"
#include "PackageWriter.h"
#include "package/PackageFile.h"
#include "text/Cp932.h"

int RunList(const CommandLine& line) {
  CPackageFile package;
  if (!package.OpenPackage(line.package))
    return Fail(QuotedPath(line.package) + " cannot be opened as a package (missing, unreadable, or damaged)");
  // The launcher's reader holds the file without sharing: close it before
  // the index is read again for the names as stored.
  std::size_t count = package.Entries().size();
  package.Close();
  std::optional<std::vector<StoredEntry>> entries = ReadStoredIndex(line.package);
  if (!entries || entries->size() != count)
    return Fail(QuotedPath(line.package) + " changed while it was read");
  std::string listing;
  for (const StoredEntry& entry : *entries) {
    listing += std::to_string(entry.offset) + "\t" + std::to_string(entry.size) + "\t" +
               text::ToUtf8(text::DecodeCp932(entry.name)) + "\n";
  }
  return PrintOut(listing) ? 0 : Fail("cannot write to standard output");
}

int RunExtract(const CommandLine& line) {
  std::optional<std::string> name = EncodeCp932(line.member);
  if (!name) return Fail("the member name " + Quoted(line.member) + " cannot be written in code page 932");
  CPackageFile package;
  if (!package.OpenPackage(line.package))
    return Fail(QuotedPath(line.package) + " cannot be opened as a package (missing, unreadable, or damaged)");
  std::optional<std::vector<char>> bytes = package.LoadMember(*name);
  package.Close();
  if (!bytes) return Fail(QuotedPath(line.package) + " has no member " + Quoted(line.member));

  if (line.output.empty()) {
    return WriteOutBytes(bytes->data(), bytes->size()) ? 0 : Fail("cannot write to standard output");
  }
  std::error_code error;
  if (std::filesystem::equivalent(line.output, line.package, error))
    return Fail("the output " + QuotedPath(line.output) + " is the package itself");
  CAtomicFile output;
  if (!output.Create(line.output) || !output.WriteAll(*bytes) || !output.Commit())
    return Fail("cannot write " + QuotedPath(line.output));
  return 0;
}
