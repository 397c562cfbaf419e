// The repair's check: every file the package lists, compared in the install
// folder with what the package says of it (there at all, its size, and,
// where the package has one, its content hash).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CContentHasher;
struct FileEntry;
struct SetupInfo;

// Whether the file at path is what file says: there, of its listed size,
// and with its content hash where the package has one. Reads it through
// buffer (kInstallChunkBytes) and hasher; read hears each chunk's size.
bool FileIsAsListed(const std::wstring& path, const FileEntry& file, CContentHasher& hasher,
                    char* buffer, const std::function<void(std::uint32_t)>& read);

// Hears checked of total bytes as the check goes on, at most once every
// kUpdateIntervalMs and once at the end.
using CheckProgress = std::function<void(std::uint64_t checked, std::uint64_t total)>;

// The files of info that are missing from folder (a full folder ending in a
// backslash), have another size, or, where the package has their hash,
// other content; in the package's order. Reads each file once, a large
// chunk at a time; writes nothing.
std::vector<FileEntry> DamagedFiles(const SetupInfo& info, const std::wstring& folder,
                                    const CheckProgress& progress);
