// The command line of setuppack. Its syntax is an interface: publishers
// script it, so options keep their names and meanings.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One argument as the system passed it: bytes on POSIX, UTF-16 on Windows.
using Arg = std::filesystem::path::string_type;

enum class Command { Help, Build, List, Extract, Show, Check };

// Whether long work shows its progress on stderr: Auto where stderr is a
// terminal, On (--progress, for a log), Off (--quiet).
enum class ProgressMode { Auto, On, Off };

struct DiscFolder {
  std::wstring label;  // compared with the decoded disc label of the settings
  std::filesystem::path folder;
};

struct CommandLine {
  Command command = Command::Help;
  std::filesystem::path package;  // list, extract, show, check
  std::filesystem::path output;   // build (-o), extract (-o, optional)
  std::filesystem::path settings;
  std::filesystem::path launcherPicture;  // optional
  std::filesystem::path wizardPicture;    // optional
  std::vector<DiscFolder> discs;
  std::wstring member;                         // extract
  ProgressMode progress = ProgressMode::Auto;  // build, check
  bool autorun = false;                        // build: autorun.inf on the first disc
  std::filesystem::path icon;                  // build --autorun, optional
};

// Parses the arguments after the program name. False with a one-line
// reason in error for a usage error.
[[nodiscard]] bool ParseCommandLine(const std::vector<Arg>& args, CommandLine& line,
                                    std::string& error);

// The usage text, ending in a line feed.
const char* UsageText();
