// The program's command line: one description of its switches, which both
// reads a command line and writes the one a process of the program passes
// to the copy of itself that it starts.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Who a process of the program is. A copy that the program starts says so
// on its command line (/role=); the uninstall copy, which the system's list
// of installed programs starts with a command of its own, is known by
// where it runs (RoleOf).
enum class Role {
  kStarted,        // started by a person or a script: the disc's program
  kRunCopy,        // /role=copy: a copy in a run folder of its own
  kElevated,       // /role=elevated: started with administrator rights by a process that waits
  kUninstallCopy,  // <install folder>\uninstall\setup.exe, never written on a command line
};

// What a command line asks for. Switches begin with '/' (or '-') and are
// compared ignoring case; none of them is ever taken for the folder.
struct CommandLine {
  // The first argument after the program's name that is not a switch: the
  // source folder.
  std::optional<std::wstring> folder;
  bool silent = false;     // /S: no window at all, an exit code and a log
  bool install = false;    // /install: the wizard without the launcher
  bool uninstall = false;  // /uninstall
  bool repair = false;     // /repair: check the installation, restore what differs
  // /confirmed (with /uninstall): the removal's question was asked and
  // answered Yes by the process that started this one.
  bool confirmed = false;
  Role role = Role::kStarted;
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

// Reads commandLine as GetCommandLineW gives it (the program's name first):
// the part before /D= is split as the system splits it (CommandLineToArgvW).
CommandLine ParseCommandLine(const wchar_t* commandLine);

// The arguments that ParseCommandLine reads back as command (the program's
// name not included): the folder first, each switch once, /D= last.
std::wstring FormatCommandLine(const CommandLine& command);

bool operator==(const CommandLine& a, const CommandLine& b);

// How many of /install, /uninstall and /repair the command line asks for:
// more than one cannot be carried out.
int CommandsAskedFor(const CommandLine& command);
