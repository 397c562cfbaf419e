// The launcher's command line and the folders it starts from.
#pragma once

#include <optional>
#include <string>

// The first argument after the program's name that does not begin with '-'
// or '/' (those are switches, none of which the launcher knows); nullopt
// when there is none. commandLine is split as the system splits it
// (CommandLineToArgvW).
std::optional<std::wstring> FolderArgument(const wchar_t* commandLine);

// One argument quoted so that CommandLineToArgvW gives it back unchanged:
// blanks survive, and a folder that ends in backslashes (a drive root such
// as Q:\) keeps them.
std::wstring QuoteArgument(const std::wstring& argument);

// The folder of the running program, ending in a backslash; empty when the
// system cannot tell.
std::wstring ModuleFolder();

// The full path of the running program; empty when the system cannot tell.
std::wstring ModulePath();
