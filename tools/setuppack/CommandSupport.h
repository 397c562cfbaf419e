// Steps shared by the commands: refusing with a message, opening a package
// as the launcher does, the disc folder of a product's file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "package/Members.h"

class CPackageFile;
struct SetupInfo;

// Prints "setuppack: " + message to stderr; returns exit code 1.
int Fail(std::string_view message);

// Text in double quotes, as UTF-8, for messages.
std::string Quoted(std::wstring_view text);
std::string QuotedPath(const std::filesystem::path& path);

// Opens the package and reads it into info exactly as the launcher's
// start-up does (AcceptPackage: settings, sizes, hashes), and refuses what
// the launcher refuses (a package it cannot open, no settings, no sizes, an
// unsafe name). Prints the reason on refusal.
[[nodiscard]] bool OpenLikeLauncher(const std::filesystem::path& packagePath, CPackageFile& package,
                                    SetupInfo& info);

// The folder given for a disc label, or nullptr.
const DiscFolder* FindDisc(const std::vector<DiscFolder>& discs, std::wstring_view label);

// A file name from the settings (backslash-separated) below a disc folder.
std::filesystem::path DiscFilePath(const std::filesystem::path& folder, std::wstring_view name);
