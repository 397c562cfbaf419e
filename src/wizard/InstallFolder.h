// The texts of the destination page: the default folder, the free-space
// figures and the folder that becomes installDir.
#pragma once

#include <cstdint>
#include <string>

// folder with a backslash appended unless it already ends in one.
std::wstring WithTrailingBackslash(std::wstring folder);

// programFiles (empty: "C:\Program Files") + company + "\" + title, with no
// trailing backslash.
std::wstring DefaultInstallFolder(const std::wstring& programFiles, const std::wstring& company,
                                  const std::wstring& title);

// The path whose drive's free space is shown for a folder text: up to and
// including the first colon, plus a backslash ("C:\Games\X" gives "C:\");
// the whole text when it has no colon.
std::wstring FreeSpaceQueryPath(const std::wstring& folderText);

// "必要な容量\t<n>KB\n<queryPath> の空き容量\t<m>KB", the figures being the
// byte counts shifted right by 10, in full (no 32-bit truncation).
std::wstring FormatSpaceText(std::uint64_t requiredBytes, const std::wstring& queryPath,
                             std::uint64_t freeBytes);
