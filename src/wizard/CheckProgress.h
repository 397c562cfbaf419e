// The repair's check with a progress bar: a small window that shows how far
// the check has read while it runs on the calling (user-interface) thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct FileEntry;
struct SetupInfo;

// DamagedFiles of info in folder, showing its progress in a window owned by
// owner (may be null) that is gone again when this returns.
std::vector<FileEntry> CheckWithProgress(HWND owner, const SetupInfo& info,
                                         const std::wstring& folder);
