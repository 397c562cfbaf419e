#include "text/Utf8.h"
#include "CommandLine.h"


namespace {

std::wstring ArgText(const Arg& arg) {
#ifdef _WIN32
  return arg;
#else
  return text::FromUtf8(arg);
#endif
}

bool IsOption(const Arg& arg, const wchar_t* name) { return ArgText(arg) == name; }

// Takes the value of an option that may be given once.
bool TakePath(const std::vector<Arg>& args, std::size_t& i, std::filesystem::path& target,
              std::string& error) {
  std::string option = text::ToUtf8(ArgText(args[i]));
  if (i + 1 >= args.size() || args[i + 1].empty()) {
    error = option + " needs a value";
    return false;
  }
  if (!target.empty()) {
    error = option + " is given twice";
    return false;
  }
  target = args[++i];
  return true;
}

// LABEL=DIR: the label is everything before the first '=', so a label cannot
// hold '='. An empty label is allowed, as the settings may give one.
bool TakeDisc(const std::vector<Arg>& args, std::size_t& i, std::vector<DiscFolder>& discs,
              std::string& error) {
  if (i + 1 >= args.size()) {
    error = "--disc needs LABEL=DIR";
    return false;
  }
  const Arg& value = args[++i];
  std::size_t equals = value.find('=');
  if (equals == Arg::npos || equals + 1 == value.size()) {
    error = "--disc needs LABEL=DIR, got \"" + text::ToUtf8(ArgText(value)) + "\"";
    return false;
  }
  DiscFolder disc{ArgText(value.substr(0, equals)), value.substr(equals + 1)};
  for (const DiscFolder& other : discs) {
    if (other.label == disc.label) {
      error = "--disc label \"" + text::ToUtf8(disc.label) + "\" is given twice";
      return false;
    }
  }
  discs.push_back(std::move(disc));
  return true;
}

bool ParseOptions(const std::vector<Arg>& args, CommandLine& line, std::string& error) {
  std::vector<Arg> positional;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Arg& arg = args[i];
    bool ok = true;
    bool build = line.command == Command::Build;
    if (IsOption(arg, L"-o") && (build || line.command == Command::Extract)) {
      ok = TakePath(args, i, line.output, error);
    } else if (IsOption(arg, L"--disc") && (build || line.command == Command::Check)) {
      ok = TakeDisc(args, i, line.discs, error);
    } else if (IsOption(arg, L"--settings") && build) {
      ok = TakePath(args, i, line.settings, error);
    } else if (IsOption(arg, L"--launcher-picture") && build) {
      ok = TakePath(args, i, line.launcherPicture, error);
    } else if (IsOption(arg, L"--wizard-picture") && build) {
      ok = TakePath(args, i, line.wizardPicture, error);
    } else if (IsOption(arg, L"--autorun") && build) {
      line.autorun = true;
    } else if (IsOption(arg, L"--icon") && build) {
      ok = TakePath(args, i, line.icon, error);
    } else if ((IsOption(arg, L"--progress") || IsOption(arg, L"--quiet")) &&
               (build || line.command == Command::Check)) {
      ProgressMode mode = IsOption(arg, L"--quiet") ? ProgressMode::Off : ProgressMode::On;
      if (line.progress != ProgressMode::Auto && line.progress != mode) {
        error = "--progress and --quiet exclude each other";
        return false;
      }
      line.progress = mode;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + text::ToUtf8(ArgText(arg));
      return false;
    } else {
      positional.push_back(arg);
    }
    if (!ok) return false;
  }

  std::size_t wanted = line.command == Command::Build     ? 0
                       : line.command == Command::Extract ? 2
                                                          : 1;
  if (positional.size() != wanted) {
    error = positional.size() < wanted
                ? "missing argument"
                : "unexpected argument " + text::ToUtf8(ArgText(positional[wanted]));
    return false;
  }
  if (wanted >= 1) line.package = positional[0];
  if (wanted >= 2) line.member = ArgText(positional[1]);
  if (line.package.empty() && wanted >= 1) {
    error = "the package name is empty";
    return false;
  }

  if (line.command == Command::Build) {
    if (line.settings.empty())
      error = "build needs --settings FILE";
    else if (line.output.empty())
      error = "build needs -o PACKAGE";
    else if (line.discs.empty())
      error = "build needs at least one --disc LABEL=DIR";
    else if (!line.icon.empty() && !line.autorun)
      error = "--icon needs --autorun";
  } else if (line.command == Command::Check && line.discs.empty()) {
    error = "check needs at least one --disc LABEL=DIR";
  }
  return error.empty();
}

}  // namespace

bool ParseCommandLine(const std::vector<Arg>& args, CommandLine& line, std::string& error) {
  line = CommandLine();
  error.clear();
  for (const Arg& arg : args) {
    if (IsOption(arg, L"--help") || IsOption(arg, L"-h")) {
      line.command = Command::Help;
      return true;
    }
  }
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  std::wstring command = ArgText(args[0]);
  if (command == L"build")
    line.command = Command::Build;
  else if (command == L"list")
    line.command = Command::List;
  else if (command == L"extract")
    line.command = Command::Extract;
  else if (command == L"show")
    line.command = Command::Show;
  else if (command == L"check")
    line.command = Command::Check;
  else {
    error = "unknown command " + text::ToUtf8(command);
    return false;
  }
  return ParseOptions(args, line, error);
}

const char* UsageText() {
  return "usage:\n"
         "  setuppack build --settings FILE [--launcher-picture BMP] [--wizard-picture BMP]\n"
         "                  --disc LABEL=DIR [--disc LABEL=DIR ...] -o PACKAGE\n"
         "                  [--autorun [--icon ICO]] [--progress | --quiet]\n"
         "  setuppack list PACKAGE\n"
         "  setuppack extract PACKAGE MEMBER [-o FILE]\n"
         "  setuppack show PACKAGE\n"
         "  setuppack check PACKAGE --disc LABEL=DIR [--disc LABEL=DIR ...]\n"
         "                  [--progress | --quiet]\n"
         "  setuppack --help\n"
         "\n"
         "build   writes the package from a settings file (code page 932) and the\n"
         "        product's files, found below the folder given for each disc label;\n"
         "        --autorun also writes autorun.inf (and, with --icon, autorun.ico)\n"
         "        into the folder of the first file's disc\n"
         "list    prints offset, size and name of every member, tab-separated\n"
         "extract writes one member's bytes to FILE or to standard output\n"
         "show    prints the settings as the launcher reads them, as JSON\n"
         "check   reports every listed file that is missing, has another size or\n"
         "        other content; a summary per disc goes to standard error\n"
         "\n"
         "build and check show their progress on standard error when it is a\n"
         "terminal; --progress shows it anyway, --quiet shows neither it nor\n"
         "check's summary.\n"
         "\n"
         "Exit code: 0 success, 1 refused or problems found, 2 usage error.\n";
}
