// setuppack: builds and checks the package that the set-up launcher reads.

#include "CommandLine.h"
#include "Commands.h"
#include "Console.h"

namespace {

int Run(const std::vector<Arg>& args) {
  InitConsole();
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(args, line, error)) {
    PrintErr("setuppack: " + error + "\n" + UsageText());
    return 2;
  }
  switch (line.command) {
    case Command::Help:
      PrintOut(UsageText());
      return 0;
    case Command::Build:
      return RunBuild(line);
    case Command::List:
      return RunList(line);
    case Command::Extract:
      return RunExtract(line);
    case Command::Show:
      return RunShow(line);
    case Command::Check:
      return RunCheck(line);
  }
  return 2;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return Run(std::vector<Arg>(argv + 1, argv + argc)); }
#else
int main(int argc, char** argv) { return Run(std::vector<Arg>(argv + 1, argv + argc)); }
#endif
