// The launcher's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>


// What a command line asks for. Switches begin with '/' (or '-'); none of
// them is ever taken for the folder.
struct CommandLine {
  // The first argument after the program's name that is not a switch: the
  // source folder.
  std::optional<std::wstring> folder;
  bool silent = false;     // /S: no window at all, an exit code and a log
  bool uninstall = false;  // /uninstall
  bool install = false;    // /install: the wizard without the launcher
  bool repair = false;     // /repair: check the installation, restore what differs
  // /confirmed (with /uninstall): the removal's question was asked and
  // answered Yes by the process that started this one.
  bool confirmed = false;
  // /log=<file> (with /S): where the log goes, in place of the temporary
  // folder's; given by the process that started this one with rights, so
  // that the log stays in its user's temporary folder.
  std::optional<std::wstring> logFile;
  // /D=<folder>: the rest of the command line after "/D=", blanks
  // included, no quotes needed (trailing blanks and one pair of quotes
  // around it dropped). It must come last; it is also recognised as one
  // quoted argument.
  std::optional<std::wstring> installFolder;
  // Switches the program does not know, as given. Without /S they are
  // passed over; with /S they are a usage error.
  std::vector<std::wstring> unknown;
};

// Reads commandLine (as GetCommandLineW gives it): the part before /D= is
// split as the system splits it (CommandLineToArgvW). /S, /uninstall and
// /D= are compared ignoring case.
CommandLine ParseCommandLine(const wchar_t* commandLine);
