#include "install/Verify.h"

#include <windows.h>

#include <memory>

#include "install/InstallRun.h"
#include "install/UpdateInterval.h"
#include "package/ContentHash.h"
#include "package/SetupInfo.h"
#include "win/Handles.h"

namespace {

class CCheck {
 public:
  CCheck(const SetupInfo& info, const CheckProgress& progress)
      : m_progress(progress), m_total(BytesToInstall(info)) {}

  // True when the file at path is what file says.
  bool Matches(const FileEntry& file, const std::wstring& path) {
    const std::uint64_t start = m_checked;
    const bool matches = Read(file, path);
    // A file that stops early still counts whole: the bar ends full.
    m_checked = start + file.size;
    Tell(false);
    return matches;
  }
  void Tell(bool now) {
    const ULONGLONG tick = ::GetTickCount64();
    if (!now && tick - m_lastShown < kUpdateIntervalMs) return;
    m_lastShown = tick;
    if (m_progress) m_progress(m_checked, m_total);
  }

 private:
  bool Read(const FileEntry& file, const std::wstring& path) {
    return FileIsAsListed(path, file, m_hasher, m_buffer.get(), [&](std::uint32_t read) {
      m_checked += read;
      Tell(false);
    });
  }

  const CheckProgress& m_progress;
  const std::uint64_t m_total;
  std::uint64_t m_checked = 0;
  ULONGLONG m_lastShown = 0;
  CContentHasher m_hasher;
  std::unique_ptr<char[]> m_buffer{new char[kInstallChunkBytes]};
};

}  // namespace

bool FileIsAsListed(const std::wstring& path, const FileEntry& file, CContentHasher& hasher,
                    char* buffer, const std::function<void(std::uint32_t)>& read) {
  const win::UniqueFile handle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!handle || !::GetFileSizeEx(handle.get(), &size) ||
      static_cast<std::uint64_t>(size.QuadPart) != file.size)
    return false;
  if (!file.hash) return true;  // a package without hashes: presence and size
  hasher.Reset();
  for (;;) {
    DWORD chunk = 0;
    if (!::ReadFile(handle.get(), buffer, kInstallChunkBytes, &chunk, nullptr)) return false;
    if (chunk == 0) break;
    hasher.Update(buffer, chunk);
    if (read) read(chunk);
  }
  return hasher.Digest() == *file.hash;
}

std::vector<FileEntry> DamagedFiles(const SetupInfo& info, const std::wstring& folder,
                                    const CheckProgress& progress) {
  CCheck check(info, progress);
  std::vector<FileEntry> damaged;
  for (const FileEntry& file : info.files) {
    if (!check.Matches(file, folder + file.name)) damaged.push_back(file);
  }
  check.Tell(true);
  return damaged;
}
