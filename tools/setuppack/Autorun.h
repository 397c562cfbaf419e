// The autorun.inf that build --autorun puts beside setup.exe on the first
// disc: inserting the disc starts the launcher, and Explorer shows the
// title and, with --icon, the product's icon for the drive.
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr char kAutorunInfName[] = "autorun.inf";
// The icon's name beside it: fixed, so that no name from the command line
// has to survive code page 932 and the file's syntax (a comma would start
// an icon index).
inline constexpr char kAutorunIconName[] = "autorun.ico";

// Explorer shows no more of a drive's label than its first 32 characters,
// and the file's reader drops blanks around a value: the label is the
// title's first 32 characters without those blanks.
inline constexpr std::size_t kMaxDriveLabel = 32;
std::wstring DriveLabel(std::wstring_view title);

// The file's bytes (code page 932, CRLF lines) starting setup.exe, with
// that label and, when withIcon, the icon; nullopt when the label cannot be
// written in code page 932.
std::optional<std::string> AutorunInf(std::wstring_view label, bool withIcon);
