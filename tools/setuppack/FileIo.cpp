#include "FileIo.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::FILE* OpenFile(const std::filesystem::path& path, bool forWriting) {
#ifdef _WIN32
  return _wfopen(path.c_str(), forWriting ? L"wb" : L"rb");
#else
  return std::fopen(path.c_str(), forWriting ? "wb" : "rb");
#endif
}

// Exclusive creation, so an existing file of that name is never reused.
bool CreateNewFile(const std::filesystem::path& path) {
#ifdef _WIN32
  int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  return fd >= 0 && _close(fd) == 0;
#else
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  return fd >= 0 && close(fd) == 0;
#endif
}

bool SyncFile(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

bool ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
  return MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
#endif
}

}  // namespace

std::optional<std::vector<char>> ReadInputFile(const std::filesystem::path& path,
                                               std::uint64_t maxSize, bool& tooLarge) {
  tooLarge = false;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::uint64_t size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  if (size > maxSize) {
    tooLarge = true;
    return std::nullopt;
  }
  std::FILE* file = OpenFile(path, false);
  if (file == nullptr) return std::nullopt;
  std::vector<char> bytes(static_cast<std::size_t>(size));
  bool ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
            std::fgetc(file) == EOF && !std::ferror(file);
  std::fclose(file);
  if (!ok) return std::nullopt;  // the file changed while it was read
  return bytes;
}

CSequentialFile::~CSequentialFile() {
#ifdef _WIN32
  if (m_handle != nullptr) CloseHandle(m_handle);
#else
  if (m_fd >= 0) close(m_fd);
#endif
}

bool CSequentialFile::Open(const std::filesystem::path& path) {
#ifdef _WIN32
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  m_handle = handle;
#else
  m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) return false;
  // Only advice: a system that ignores it reads all the same.
  posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return true;
}

std::optional<std::size_t> CSequentialFile::Read(char* buffer, std::size_t size) {
#ifdef _WIN32
  DWORD read = 0;
  if (!ReadFile(m_handle, buffer, static_cast<DWORD>(size), &read, nullptr)) return std::nullopt;
  return read;
#else
  for (;;) {
    ssize_t read = ::read(m_fd, buffer, size);
    if (read >= 0) return static_cast<std::size_t>(read);
    if (errno != EINTR) return std::nullopt;
  }
#endif
}

CAtomicFile::~CAtomicFile() {
  if (!m_tempPath.empty()) {
    std::error_code ignored;  // nothing more can be done about a leftover
    std::filesystem::remove(m_tempPath, ignored);
  }
}

bool CAtomicFile::Create(const std::filesystem::path& target) {
  m_target = target;
  std::filesystem::path folder = target.parent_path();
  std::filesystem::path::string_type base =
      std::filesystem::path(".").native() + target.filename().native();
#ifdef _WIN32
  unsigned long pid = GetCurrentProcessId();
#else
  unsigned long pid = static_cast<unsigned long>(getpid());
#endif
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix = ".tmp" + std::to_string(pid) + "_" + std::to_string(attempt);
    std::filesystem::path candidate = folder / (base + std::filesystem::path(suffix).native());
    if (CreateNewFile(candidate)) {
      m_tempPath = candidate;
      return true;
    }
    std::error_code error;
    if (!std::filesystem::exists(candidate, error)) return false;  // the folder refuses new files
  }
  return false;
}

bool CAtomicFile::WriteAll(const std::vector<char>& bytes) {
  std::FILE* file = OpenFile(m_tempPath, true);
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
            std::fflush(file) == 0 && SyncFile(file);
  return std::fclose(file) == 0 && ok;
}

bool CAtomicFile::Commit() {
  if (!ReplaceFile(m_tempPath, m_target)) return false;
  m_tempPath.clear();
  return true;
}
