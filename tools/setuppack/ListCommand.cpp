// setuppack list and setuppack extract: the package's index and members.

#include "text/Utf8.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "Console.h"
#include "FileIo.h"
#include "package/PackageFile.h"
#include "text/Cp932.h"
#include "text/Cp932Encoder.h"

int RunList(const CommandLine& line) {
  CPackageFile package;
  if (!package.OpenPackage(line.package))
    return Fail(QuotedPath(line.package) +
                " cannot be opened as a package (missing, unreadable, or damaged)");
  std::string listing;
  for (const PackageEntry& entry : package.Entries()) {
    listing += std::to_string(entry.offset) + "\t" + std::to_string(entry.size) + "\t" +
               text::ToUtf8(text::DecodeCp932(entry.name)) + "\n";
  }
  return PrintOut(listing) ? 0 : Fail("cannot write to standard output");
}

int RunExtract(const CommandLine& line) {
  std::optional<std::string> name = EncodeCp932(line.member);
  if (!name)
    return Fail("the member name " + Quoted(line.member) + " cannot be written in code page 932");
  CPackageFile package;
  if (!package.OpenPackage(line.package))
    return Fail(QuotedPath(line.package) +
                " cannot be opened as a package (missing, unreadable, or damaged)");
  std::optional<std::vector<char>> bytes = package.LoadMember(*name);
  package.Close();
  if (!bytes) return Fail(QuotedPath(line.package) + " has no member " + Quoted(line.member));

  if (line.output.empty()) {
    return WriteOutBytes(bytes->data(), bytes->size()) ? 0
                                                       : Fail("cannot write to standard output");
  }
  std::error_code error;
  if (std::filesystem::equivalent(line.output, line.package, error))
    return Fail("the output " + QuotedPath(line.output) + " is the package itself");
  CAtomicFile output;
  if (!output.Create(line.output) || !output.WriteAll(*bytes) || !output.Commit())
    return Fail("cannot write " + QuotedPath(line.output));
  return 0;
}
