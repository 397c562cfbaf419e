#include "wizard/InstallRun.h"

#include <windows.h>
#include <shlobj.h>

#include <limits>
#include <memory>
#include <optional>

#include "package/ContentHash.h"
#include "package/InstallRecord.h"
#include "package/SetupInfo.h"
#include "win/Handles.h"
#include "win/Registry.h"
#include "win/ShellFolders.h"

namespace {

// Read, hashed and written a chunk at a time: fewer, larger calls. With
// 64 KiB a large file's copy took about a tenth longer; past 512 KiB
// nothing more was gained.
constexpr DWORD kChunkBytes = 512 * 1024;
// A zero-timeout wait is a round trip to the Wine server, slow on a busy
// machine: once per chunk it cost a third of the copy's time, and once per
// 4 MiB still a few hundredths. Twenty times a second answers a Cancel
// press sooner than a person can tell.
constexpr ULONGLONG kPollMs = 50;

enum class FileResult { kCopied, kAborted };

class CInstallRun {
 public:
  CInstallRun(const SetupInfo& info, CInstallHost& host) : m_info(info), m_host(host) {}

  bool Run();

 private:
  FileResult CopyOneFile(const FileEntry& file);
  win::UniqueFile OpenSource(const FileEntry& file, std::wstring& path);
  win::UniqueFile OpenDestination(const std::wstring& destination);
  bool AbortRequested();
  void MakeShortcuts();
  bool WriteUninstallCopy();
  bool WriteUninstallEntry();

  const SetupInfo& m_info;
  CInstallHost& m_host;
  std::uint64_t m_total = 0;
  std::uint64_t m_copied = 0;
  ULONGLONG m_lastPoll = 0;
  // The folder made for the previous file: the next file in it needs no
  // look-up. Cleared when a destination could not be opened.
  std::wstring m_strLastFolder;
  // Hashes each attempt's bytes as they are read: no second pass over the
  // source or the copy.
  CContentHasher m_hasher;
  // The one copy buffer, living as long as the run; page-aligned like the
  // system's own copy buffers.
  alignas(4096) char m_buffer[kChunkBytes];
};

bool CInstallRun::AbortRequested() {
  const ULONGLONG now = ::GetTickCount64();
  if (now - m_lastPoll < kPollMs) return false;
  m_lastPoll = now;
  return m_host.AbortRequested();
}

win::UniqueFile CInstallRun::OpenSource(const FileEntry& file, std::wstring& path) {
  for (const std::wstring& candidate : m_host.SourcePaths(file)) {
    win::UniqueFile source(::CreateFileW(candidate.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (source) {
      path = candidate;
      return source;
    }
  }
  return {};
}

win::UniqueFile CInstallRun::OpenDestination(const std::wstring& destination) {
  const std::optional<std::wstring> folder = ParentFolderOf(destination);
  if (!folder || *folder != m_strLastFolder) {
    CreateDirectoryChain(destination);
    m_strLastFolder = folder.value_or(L"");
  }
  auto open = [&] {
    return win::UniqueFile(::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  // A read-only (or hidden, or system) file of that name is replaced and
  // loses those attributes: Windows refuses to open it, Wine (as root) opens
  // it and keeps them. A fresh file needs neither step.
  win::UniqueFile target = open();
  if (!target) {
    ::SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    target = open();
  } else if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  if (!target) m_strLastFolder.clear();  // the retry makes the folders again
  return target;
}

bool CInstallRun::Run() {
  m_total = BytesToInstall(m_info);
  m_host.Progress(0, m_total, true);

  for (const FileEntry& file : m_info.files) {
    if (CopyOneFile(file) == FileResult::kAborted) return false;
  }
  m_host.Progress(m_copied, m_total, true);
  // The record first: without it the launcher could neither start nor
  // remove the product, so a failed write ends the run as a Cancel does,
  // with the files copied so far left in place and no links pointing at
  // them. Start-up refuses a package without title or maker, so the key
  // path is never empty here.
  const std::wstring recordKey = InstallRecordKeyPath(m_info);
  if (WriteRegString(HKEY_LOCAL_MACHINE, recordKey, kInstallRecordValue, m_info.installDir) !=
      ERROR_SUCCESS) {
    m_host.RecordFailed();
    return false;
  }
  m_host.Note(L"record HKEY_LOCAL_MACHINE\\" + recordKey);
  MakeShortcuts();
  // The entry last, so that it never points at a copy that is not there.
  // Like the links, neither is worth failing a complete installation for.
  // Another product's copy in the folder stays its own: replaced, its entry
  // would remove this product and it could never be removed itself.
  const std::wstring package = m_info.installDir + kUninstallPackage;
  if (::GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES &&
      !IsPackageOf(ReadPackageFile(package), m_info)) {
    m_host.Note(L"warning: " + m_info.installDir + kUninstallFolder +
                L" holds another product's uninstall copy; it stays, and this product gets no "
                L"uninstall copy and no Apps & features entry");
  } else if (!WriteUninstallCopy()) {
    m_host.Note(L"warning: the uninstall copy could not be written to " + m_info.installDir +
                kUninstallFolder);
  } else if (!WriteUninstallEntry()) {
    m_host.Note(L"warning: the Apps & features entry could not be written");
  }
  return true;
}

void CInstallRun::MakeShortcuts() {
  // Failures are silent: the installation itself is complete.
  const std::wstring game = m_info.installDir + m_info.exeFile;
  const auto make = [&](int csidl, const std::wstring& link, const std::wstring& target) {
    const bool made = CreateShortcut(csidl, link, target);
    m_host.Note((made ? L"link " : L"warning: no link ") + link + L" -> " + target);
  };
  make(CSIDL_DESKTOP, m_info.title + L".lnk", game);
  const std::wstring menu = m_info.menuFolder + L"\\";
  make(CSIDL_PROGRAMS, menu + m_info.title + L".lnk", game);
  for (const MenuEntry& entry : m_info.menus) {
    make(CSIDL_PROGRAMS, menu + entry.caption + L".lnk", m_info.installDir + entry.target);
  }
}

bool CInstallRun::WriteUninstallCopy() {
  const std::wstring program = m_info.installDir + kUninstallProgram;
  const std::wstring package = m_info.installDir + kUninstallPackage;
  const std::wstring self = ModulePath();
  if (self.empty() || m_info.packageBytes.empty()) return false;
  CreateDirectoryChain(program);
  // An earlier copy may have been left read-only.
  (void)::SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  (void)::SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_NORMAL);
  // The package first: a removal deletes only a copy whose package is this
  // product's, so a program that could not be copied beside it goes too.
  {
    const win::UniqueFile file(::CreateFileW(package.c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD size = static_cast<DWORD>(m_info.packageBytes.size());
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), m_info.packageBytes.data(), size, &written, nullptr) ||
        written != size)
      return false;
  }
  if (!::CopyFileW(self.c_str(), program.c_str(), FALSE)) return false;
  (void)::SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  m_host.Note(L"uninstall copy " + program);
  return true;
}

bool CInstallRun::WriteUninstallEntry() {
  const std::wstring keyPath = UninstallEntryKeyPath(m_info);
  win::UniqueKey key;
  if (keyPath.empty() ||
      ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  const auto text = [&](const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(
               key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  };
  const auto number = [&](const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof value) == ERROR_SUCCESS;
  };
  const std::wstring uninstall = L"\"" + m_info.installDir + kUninstallProgram + L"\" /uninstall";
  const std::uint64_t kib = m_total >> 10;
  const bool written =
      text(L"DisplayName", m_info.title) && text(L"Publisher", m_info.company) &&
      text(L"InstallLocation", m_info.installDir) &&
      text(L"DisplayIcon",
           m_info.installDir + (m_info.exeFile.empty() ? kUninstallProgram : m_info.exeFile)) &&
      text(L"UninstallString", uninstall) && text(L"QuietUninstallString", uninstall + L" /S") &&
      number(L"EstimatedSize",
             static_cast<DWORD>(std::min<std::uint64_t>(kib, std::numeric_limits<DWORD>::max()))) &&
      number(L"NoModify", 1) && number(L"NoRepair", 1);
  if (written) {
    m_host.Note(L"Apps & features entry HKEY_LOCAL_MACHINE\\" + keyPath);
  } else {
    // Half an entry (without UninstallString, say) would be listed and fail.
    (void)::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  }
  return written;
}

FileResult CInstallRun::CopyOneFile(const FileEntry& file) {
  const std::uint64_t startCount = m_copied;
  const std::wstring destination = m_info.installDir + file.name;
  for (;;) {  // one attempt per pass; every retry starts from the first byte
    m_copied = startCount;
    m_hasher.Reset();
    std::wstring sourcePath;
    win::UniqueFile source = OpenSource(file, sourcePath);
    if (!source) {
      if (m_host.SourceMissing(file) == CInstallHost::Choice::kAbort) return FileResult::kAborted;
      continue;
    }

    win::UniqueFile target = OpenDestination(destination);
    // Only a file this attempt created is ours to delete: one that could not
    // be opened may be someone else's (or the source itself).
    const bool created = static_cast<bool>(target);
    bool failed = !created;
    bool differs = false;
    bool done = false;
    while (!failed && !done && !differs) {
      if (AbortRequested()) {
        source.reset();
        target.reset();
        ::DeleteFileW(destination.c_str());
        return FileResult::kAborted;
      }
      DWORD read = 0;
      if (!::ReadFile(source.get(), m_buffer, kChunkBytes, &read, nullptr)) {
        failed = true;
      } else if (read == 0) {
        // Bytes that differ from the publisher's (a scratched or badly
        // copied disc) are never left installed.
        differs = file.hash && m_hasher.Digest() != *file.hash;
        FILETIME lastWrite;
        if (!differs && ::GetFileTime(source.get(), nullptr, nullptr, &lastWrite)) {
          ::SetFileTime(target.get(), nullptr, nullptr, &lastWrite);
        }
        done = !differs;
      } else {
        m_hasher.Update(m_buffer, read);
        DWORD written = 0;
        if (!::WriteFile(target.get(), m_buffer, read, &written, nullptr) || written != read) {
          failed = true;
        }
        m_copied += read;
        m_host.Progress(m_copied, m_total, false);
      }
    }
    source.reset();
    target.reset();
    if (done) {
      m_host.Note(L"copied " + file.name + L" from " + sourcePath);
      return FileResult::kCopied;
    }
    if (created) ::DeleteFileW(destination.c_str());
    const CInstallHost::Choice choice =
        differs ? m_host.ContentDiffers(file) : m_host.CopyFailed(file);
    if (choice == CInstallHost::Choice::kAbort) return FileResult::kAborted;
  }
}

}  // namespace

std::vector<std::wstring> CInstallHost::SourcePaths(const FileEntry& file) { return {file.name}; }

bool RunInstall(const SetupInfo& info, CInstallHost& host) {
  // Heap, not stack: the run holds the copy buffer.
  const auto run = std::make_unique<CInstallRun>(info, host);
  return run->Run();
}
