// The product's files on the disc folders, for build and check. They are
// first only looked at, so that a missing file is told before minutes of
// reading and the bytes to read are known; then each disc is read once,
// its files one after the other in the settings' order, as a drive reads
// best.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "CommandLine.h"
#include "package/ContentHash.h"

struct SetupInfo;
class CProgress;

enum class FileState { Ok, NoDisc, Missing, NotRegular, TooLarge, Unreadable };

struct ProductFile {
  FileState state = FileState::NoDisc;
  std::filesystem::path path;  // empty when its disc has no folder
  // As looked at; once read, the bytes read (the file may have changed).
  std::uint64_t size = 0;
  ContentHash hash{};  // of the bytes read, once read
};

// Every file of info, in the settings' order, looked at but not read.
// Sizes of 4 GiB or more do not fit the package: TooLarge.
std::vector<ProductFile> LookAtProductFiles(const SetupInfo& info,
                                            const std::vector<DiscFolder>& discs);

// The order to read in: the discs in the order of their first file, on each
// disc its files in the settings' order. Indexes into info.files.
std::vector<std::size_t> ReadingOrder(const SetupInfo& info);

// The bytes that ReadProductFiles will read: the files found Ok.
std::uint64_t BytesToRead(const std::vector<ProductFile>& files);

// The size of each read. What keeps a drive streaming is the system's
// read-ahead, told that every file is read from start to end; a read this
// small still finds the processor's cache holding its bytes when they are
// hashed. Measured on two cores: reads of 1 MiB, a thread hashing beside the
// reads, and asking the system for 8 MiB ahead all made check slower.
inline constexpr std::size_t kReadSize = 128 << 10;

// Reads and hashes every file found Ok, in ReadingOrder, each once, the
// hash taking each piece as it is read; a file that cannot be read to its
// end becomes Unreadable.
void ReadProductFiles(const SetupInfo& info, std::vector<ProductFile>& files, CProgress& progress);
