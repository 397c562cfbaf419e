// Windows paths as text: what a path says, without asking the system.
// Portable, so that the native tests check the folder rules.
#pragma once

#include <optional>
#include <string>

namespace text {

// Both separators Windows takes; UTF-16 never hides one inside a character.
inline bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// folder with a backslash at its end, added when it lacks one.
std::wstring WithTrailingBackslash(std::wstring folder);

// A folder that names its place on its own: "X:\..." or "\\server\share...".
// Anything else (empty, "Games", "\Games", "C:Games") would be taken
// relative to the current folder or drive, which are the source disc's: such
// a folder is neither installed into nor deleted from.
bool IsFullFolderPath(const std::wstring& folder);

// How much of a full folder path names its root: "X:\" (3 characters) or
// "\\server\share\" (with that backslash, when there is one); 0 for a path
// IsFullFolderPath refuses. What follows is the same path on another root.
std::size_t RootLengthOf(const std::wstring& folder);

// The folder that holds the last component of path: the text before its last
// separator. None when there is no separator, when the separator is the
// first character, or when a drive's colon precedes it (the parent is then a
// root, which always exists).
std::optional<std::wstring> ParentFolderOf(const std::wstring& path);

}  // namespace text
