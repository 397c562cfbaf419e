// The inputs read whole, the product's files read in sequence, and the
// atomic replacement of an output file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// An input the publisher names (settings, picture, icon), read whole: its
// bytes; nullopt when it is no regular file, cannot be read, changed while
// it was read, or is larger than maxSize (then tooLarge is set, so that the
// refusal can say which).
std::optional<std::vector<char>> ReadInputFile(const std::filesystem::path& path,
                                               std::uint64_t maxSize, bool& tooLarge);

// A file read once from start to end: the system is told so (a larger
// read-ahead on Linux, FILE_FLAG_SEQUENTIAL_SCAN on Windows), so that a
// drive keeps streaming between the reads.
class CSequentialFile {
 public:
  CSequentialFile() = default;
  ~CSequentialFile();
  CSequentialFile(const CSequentialFile&) = delete;
  CSequentialFile& operator=(const CSequentialFile&) = delete;

  [[nodiscard]] bool Open(const std::filesystem::path& path);
  // The bytes read into buffer, 0 at the end of the file; nullopt when the
  // read failed (an unreadable sector).
  std::optional<std::size_t> Read(char* buffer, std::size_t size);

 private:
#ifdef _WIN32
  void* m_handle = nullptr;  // a HANDLE; nullptr when not open
#else
  int m_fd = -1;
#endif
};

// Builds an output beside its target and puts it in place only when it is
// complete: the target is either untouched or wholly replaced. A temporary
// file that was not committed is removed by the destructor.
class CAtomicFile {
 public:
  CAtomicFile() = default;
  ~CAtomicFile();
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Creates a new, empty temporary file in the target's folder.
  [[nodiscard]] bool Create(const std::filesystem::path& target);
  // Replaces the temporary file's content and flushes it to the disk.
  [[nodiscard]] bool WriteAll(const std::vector<char>& bytes);
  // Renames the temporary file over the target.
  [[nodiscard]] bool Commit();

  const std::filesystem::path& TempPath() const { return m_tempPath; }

 private:
  std::filesystem::path m_target;
  std::filesystem::path m_tempPath;  // empty once committed or removed
};
