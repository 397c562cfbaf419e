#include "install/InstallRun.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "install/InstallNames.h"
#include "install/InstallPlan.h"
#include "install/Record.h"
#include "install/Removal.h"
#include "install/Verify.h"
#include "install/Shortcuts.h"
#include "install/UninstallCopy.h"
#include "install/UninstallEntry.h"
#include "install/UpdateInterval.h"
#include "package/ContentHash.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Paths.h"

namespace {

enum class FileResult { kCopied, kAborted };

// One attempt at copying a file from one place.
enum class Attempt {
  kCopied,
  kAbsent,      // nothing of that name there (or it cannot be opened)
  kNotTheFile,  // on another drive, another size than the package lists: not read
  kDiffers,     // its bytes differ from the package's hash; the copy is gone
  kFailed,      // reading or writing failed; the copy is gone
  kAborted,     // the host ended the run; the copy is gone
};

// Where a file was looked for: the folders in order, and whether one of the
// source's own places held a file of that name that is not the package's.
struct Search {
  std::vector<std::wstring> folders;
  bool ownDiffers = false;
};

class CInstallRun {
 public:
  CInstallRun(const InstallPlan& plan, CInstallHost& host)
      : m_plan(plan), m_info(plan.settings), m_host(host) {}

  bool Run();

 private:
  bool Begin();
  bool RemoveInterrupted(const InstallFolder& folder);
  bool KeepComplete(const FileEntry& file);
  FileResult CopyOneFile(const FileEntry& file);
  Attempt FindAndCopy(const FileEntry& file, Search& search);
  Attempt CopyFrom(const std::wstring& folder, const FileEntry& file, bool ownPlace);
  const std::vector<std::wstring>& CdromDrives();
  void NoteFound(const FileEntry& file, const std::wstring& folder);
  // Makes destination's folders, then opens partial, its copy's name, afresh.
  win::UniqueFile OpenPartial(const std::wstring& destination, const std::wstring& partial);
  // Asks the host at most once every kUpdateIntervalMs, unless now.
  bool AbortRequested(bool now = false);
  void WriteUninstallCopyAndEntry();

  const InstallPlan& m_plan;
  const SetupInfo& m_info;
  CInstallHost& m_host;
  std::uint64_t m_total = 0;
  std::uint64_t m_copied = 0;
  std::uint64_t m_copiedBefore = 0;  // by the files before the one being copied
  // Going on with an installation into the same folder that never ended
  // complete: files already whole are kept, not copied again.
  bool m_goesOn = false;
  std::size_t m_kept = 0;
  // Enumerated when a file is first looked for on other drives, and again
  // after the host was asked for its disc: an image may have been mounted.
  std::optional<std::vector<std::wstring>> m_cdromDrives;
  // Per disc label: its own places (each look made full by the system once)
  // and the folders its files were found in, each noted once.
  std::map<std::wstring, std::vector<std::wstring>> m_ownFolders;
  std::map<std::wstring, std::set<std::wstring>> m_foundIn;
  ULONGLONG m_lastPoll = 0;
  // The folder made for the previous file: the next file in it needs no
  // look-up. Cleared when a destination could not be opened.
  std::wstring m_strLastFolder;
  // Hashes each attempt's bytes as they are read: no second pass over the
  // source or the copy.
  CContentHasher m_hasher;
  // The one copy buffer, living as long as the run; page-aligned like the
  // system's own copy buffers.
  alignas(4096) char m_buffer[kInstallChunkBytes];
};

bool CInstallRun::AbortRequested(bool now) {
  const ULONGLONG tick = ::GetTickCount64();
  if (!now && tick - m_lastPoll < kUpdateIntervalMs) return false;
  m_lastPoll = tick;
  return m_host.AbortRequested();
}

win::UniqueFile CInstallRun::OpenPartial(const std::wstring& destination,
                                         const std::wstring& partial) {
  const std::optional<std::wstring> folder = text::ParentFolderOf(destination);
  if (!folder || *folder != m_strLastFolder) {
    CreateDirectoryChain(destination);
    m_strLastFolder = folder.value_or(L"");
  }
  auto open = [&] {
    // DELETE: the whole copy is renamed through its handle.
    return win::UniqueFile(::CreateFileW(partial.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  // One left read-only (or hidden, or system) is replaced: Windows refuses
  // to open it, Wine (as root) opens it and keeps those attributes.
  win::UniqueFile target = open();
  if (!target) {
    ::SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_NORMAL);
    target = open();
  } else if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  if (!target) m_strLastFolder.clear();  // the retry makes the folders again
  return target;
}

bool CInstallRun::Begin() {
  const auto note = [&](const std::wstring& line) { m_host.Note(line); };
  // Into a folder of the disc's own (under any of its names), the disc's
  // files would become the installation's, and its removal would delete
  // them: refused as a copy that fails, before anything is written. Retry
  // cannot change that; it asks again.
  std::set<std::wstring> discs;
  for (const FileEntry& file : m_plan.files) {
    if (!discs.insert(file.disc).second) continue;  // one look per disc
    for (const std::wstring& own : m_plan.sources.OwnFoldersOf(file)) {
      if (!SameFolderOnDisk(own, m_plan.folder.Path())) continue;
      note(L"the install folder " + m_plan.folder.Path() + L" holds the disc's own files");
      while (m_host.CopyFailed(file) == CInstallHost::Choice::kRetry) {
      }
      return false;
    }
  }
  const RecordedInstall record = ReadInstallRecord(m_info);
  if (record.interrupted && record.folder) {
    if (SameFolder(record.folder->Path(), m_plan.folder.Path())) {
      m_goesOn = true;
      note(L"going on with the interrupted installation in " + m_plan.folder.Path());
    } else if (!RemoveInterrupted(*record.folder)) {
      return false;
    }
  }
  // Before anything is written into the folder: from here on, however the
  // run ends, what it wrote is listed in Apps & features and removable.
  // Start-up refuses a package without title or maker, so the key path is
  // never empty here.
  if (RecordInterrupted(m_info, m_plan.folder) != ERROR_SUCCESS) {
    m_host.RecordFailed();
    return false;
  }
  WriteUninstallCopyAndEntry();
  return true;
}

bool CInstallRun::RemoveInterrupted(const InstallFolder& folder) {
  // Elsewhere, what it wrote would be listed nowhere once this one is: it
  // goes first, whole. A file of it in use is asked about as a failed copy;
  // Retry tries the removal again.
  const auto note = [&](const std::wstring& line) { m_host.Note(line); };
  note(L"removing the interrupted installation in " + folder.Path());
  for (;;) {
    const UninstallResult removed = UninstallProduct(m_info, folder, note, RemovalOf::kInterrupted);
    if (removed.filesLeft == 0) return true;
    const auto held = std::find_if(
        m_info.files.begin(), m_info.files.end(),
        [&](const FileEntry& f) { return removed.firstLeft.rfind(folder / f.name, 0) == 0; });
    if (held == m_info.files.end() || m_host.CopyFailed(*held) == CInstallHost::Choice::kAbort)
      return false;
  }
}

bool CInstallRun::KeepComplete(const FileEntry& file) {
  const std::uint64_t before = m_copied;
  const bool complete = FileIsAsListed(ExtendedPath(m_plan.folder / file.name), file, m_hasher,
                                       m_buffer, [&](std::uint32_t read) {
                                         m_copied += read;
                                         m_host.Progress(m_copied, m_total, false);
                                       });
  m_copied = before + (complete ? file.size : 0);
  if (complete) {
    ++m_kept;
    m_host.Note(L"kept " + file.name + L": complete already");
  }
  return complete;
}

bool CInstallRun::Run() {
  if (m_plan.kind == RunKind::kInstall && !Begin()) return false;
  m_total = BytesOf(m_plan.files);
  m_host.Progress(0, m_total, true);

  for (const FileEntry& file : m_plan.files) {
    if (m_goesOn && AbortRequested()) return false;
    if (m_goesOn && KeepComplete(file)) continue;
    if (CopyOneFile(file) == FileResult::kAborted) return false;
  }
  if (m_goesOn) {
    m_host.Note(std::to_wstring(m_kept) + L" of " + std::to_wstring(m_plan.files.size()) +
                L" files were complete already and kept");
  }
  m_host.Progress(m_copied, m_total, true);
  // Failures are noted only: the installation itself is complete.
  MakeProductLinks(m_info, m_plan.folder.Path(),
                   [&](const std::wstring& line) { m_host.Note(line); });
  if (m_plan.kind == RunKind::kRepair) WriteUninstallCopyAndEntry();
  // The record last: with it the product counts as installed, so all else
  // is in place first. A failed write ends the run as a Cancel does: the
  // installation stays interrupted, listed and removable.
  if (WriteInstallRecord(m_info, m_plan.folder) != ERROR_SUCCESS) {
    m_host.RecordFailed();
    return false;
  }
  m_host.Note(L"record HKEY_LOCAL_MACHINE\\" + InstallRecordKeyPath(m_info));
  // Ended here, "path" above already wins over this value.
  (void)RecordInterrupted(m_info, std::nullopt);
  return true;
}

void CInstallRun::WriteUninstallCopyAndEntry() {
  // The entry last, so that it never points at a copy that is not there.
  // Like the links, neither is worth failing a complete installation for.
  const std::wstring& dir = m_plan.folder.Path();
  const std::wstring copyFolder = dir + kUninstallFolder;
  const CopyOwner owner = UninstallCopyOwner(m_info, dir);
  if (owner == CopyOwner::kOtherProduct) {
    m_host.Note(L"warning: " + copyFolder +
                L" holds another product's uninstall copy; it stays, and this product gets no "
                L"uninstall copy and no Apps & features entry");
    return;
  }
  const bool copyThere = m_plan.kind == RunKind::kRepair && owner == CopyOwner::kThisProduct &&
                         ::GetFileAttributesW((dir + kUninstallProgram).c_str()) !=
                             INVALID_FILE_ATTRIBUTES;
  if (!copyThere && !WriteUninstallCopy(m_info, dir)) {
    m_host.Note(L"warning: the uninstall copy could not be written to " + copyFolder);
    return;
  }
  m_host.Note(L"uninstall copy " + dir + kUninstallProgram);
  const std::optional<CUninstallEntry> entry = CUninstallEntry::ToWrite(m_info);
  bool written = entry && entry->Write(dir, BytesToInstall(m_info), m_plan.sources.Folder());
  // Without the record naming it, the removal would look for the entry
  // under its first name, where another product's may be: it goes again.
  if (written && RecordEntryKeyName(m_info, entry->KeyName()) != ERROR_SUCCESS) {
    (void)entry->Delete();  // the warning below stands whether or not it went
    written = false;
  }
  if (!written) {
    m_host.Note(L"warning: the Apps & features entry could not be written");
    return;
  }
  m_host.Note(L"Apps & features entry HKEY_LOCAL_MACHINE\\" + entry->KeyPath());
}

const std::vector<std::wstring>& CInstallRun::CdromDrives() {
  if (!m_cdromDrives) m_cdromDrives = CdromDriveRoots();
  return *m_cdromDrives;
}

void CInstallRun::NoteFound(const FileEntry& file, const std::wstring& folder) {
  if (m_foundIn[file.disc].insert(folder).second)
    m_host.Note(L"the files of disc " + file.disc + L" are found in " + folder);
}

FileResult CInstallRun::CopyOneFile(const FileEntry& file) {
  m_copiedBefore = m_copied;
  for (;;) {
    Search search;
    CInstallHost::Choice choice = CInstallHost::Choice::kAbort;
    switch (FindAndCopy(file, search)) {
      case Attempt::kCopied:
        NoteFound(file, search.folders.back());
        m_host.Note(L"copied " + file.name + L" from " + search.folders.back() + file.name);
        return FileResult::kCopied;
      case Attempt::kAborted:
        return FileResult::kAborted;
      case Attempt::kFailed:
        choice = m_host.CopyFailed(file);
        break;
      default:
        // A damaged file on the source's own disc is named as such; a disc
        // found nowhere is asked for.
        if (search.ownDiffers) {
          choice = m_host.ContentDiffers(file);
        } else {
          choice = m_host.SourceMissing(file, search.folders);
          m_cdromDrives.reset();
        }
        break;
    }
    if (choice == CInstallHost::Choice::kAbort) return FileResult::kAborted;
  }
}

Attempt CInstallRun::FindAndCopy(const FileEntry& file, Search& search) {
  auto own = m_ownFolders.find(file.disc);
  if (own == m_ownFolders.end())
    own = m_ownFolders.emplace(file.disc, m_plan.sources.OwnFoldersOf(file)).first;
  // One place: true when the search ends there (copied, failed, aborted).
  const auto ends = [&](const std::wstring& folder, bool ownPlace, Attempt& attempt) {
    search.folders.push_back(folder);
    attempt = CopyFrom(folder, file, ownPlace);
    if (attempt != Attempt::kNotTheFile && attempt != Attempt::kDiffers)
      return attempt != Attempt::kAbsent;
    if (ownPlace) {
      search.ownDiffers = true;
    } else {  // another disc in that drive, most likely another product's
      m_host.Note(L"passed over " + folder + file.name + L": not the file the package lists");
    }
    return false;
  };
  Attempt attempt = Attempt::kAbsent;
  for (const std::wstring& folder : own->second)
    if (ends(folder, true, attempt)) return attempt;
  // Drives are enumerated only when the source's own places fail: a one-disc
  // installation never pays for it.
  for (const std::wstring& folder : m_plan.sources.DriveFolders(CdromDrives()))
    if (ends(folder, false, attempt)) return attempt;
  return Attempt::kAbsent;
}

Attempt CInstallRun::CopyFrom(const std::wstring& folder, const FileEntry& file, bool ownPlace) {
  m_copied = m_copiedBefore;  // every attempt starts from the first byte
  m_hasher.Reset();
  win::UniqueFile source(::CreateFileW((folder + file.name).c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source) return Attempt::kAbsent;
  // Another drive's file of another size is another disc's, not read. The
  // source's own file is copied whatever its size, and judged by its hash
  // where the package has one, as it always was.
  LARGE_INTEGER size{};
  if (!ownPlace && (!::GetFileSizeEx(source.get(), &size) ||
                    static_cast<std::uint64_t>(size.QuadPart) != file.size))
    return Attempt::kNotTheFile;

  // Written under a name of its own in the same folder, given the disc's
  // time, then renamed: a file under its name is always whole, however the
  // run ends.
  const std::wstring destination = ExtendedPath(m_plan.folder / file.name);
  const std::wstring partial = ExtendedPath(m_plan.folder / file.name + kPartialSuffix);
  win::UniqueFile target = OpenPartial(destination, partial);
  if (!target) return Attempt::kFailed;
  Attempt result = Attempt::kCopied;
  for (bool done = false; !done;) {
    if (AbortRequested()) {
      result = Attempt::kAborted;
      break;
    }
    DWORD read = 0;
    if (!::ReadFile(source.get(), m_buffer, kInstallChunkBytes, &read, nullptr)) {
      result = Attempt::kFailed;
      break;
    }
    if (read == 0) {
      // A Cancel pressed during a large file's copy is answered before the
      // file is whole under its name: Yes never keeps it.
      if (file.size > kInstallChunkBytes && AbortRequested(true)) {
        result = Attempt::kAborted;
        break;
      }
      // Bytes that differ from the publisher's (a scratched or badly copied
      // disc) are never left installed.
      if (file.hash && m_hasher.Digest() != *file.hash) {
        result = Attempt::kDiffers;
        break;
      }
      FILETIME lastWrite;
      if (::GetFileTime(source.get(), nullptr, nullptr, &lastWrite))
        ::SetFileTime(target.get(), nullptr, nullptr, &lastWrite);
      // A read-only (or hidden, or system) file of that name is replaced;
      // the copy keeps the attributes it was made with. The source is still
      // open: a copy onto its own source fails here and keeps it.
      if (!RenameOpenFile(target.get(), destination)) {
        result = Attempt::kFailed;
        break;
      }
      done = true;
    } else {
      m_hasher.Update(m_buffer, read);
      DWORD written = 0;
      if (!::WriteFile(target.get(), m_buffer, read, &written, nullptr) || written != read) {
        result = Attempt::kFailed;
        break;
      }
      m_copied += read;
      m_host.Progress(m_copied, m_total, false);
    }
  }
  source.reset();
  target.reset();
  if (result != Attempt::kCopied) ::DeleteFileW(partial.c_str());
  return result;
}

}  // namespace

bool SourcesHold(const InstallSources& sources, const FileEntry& file,
                 const std::vector<std::wstring>& drives) {
  const CQuietDriveErrors quiet;
  for (const std::wstring& folder : sources.OwnFoldersOf(file))
    if (::GetFileAttributesW((folder + file.name).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  for (const std::wstring& folder : sources.DriveFolders(drives)) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW((folder + file.name).c_str(), GetFileExInfoStandard, &data) &&
        data.nFileSizeHigh == 0 && data.nFileSizeLow == file.size)
      return true;
  }
  return false;
}

bool RunInstall(const InstallPlan& plan, CInstallHost& host) {
  const CQuietDriveErrors quiet;  // other drives are probed for a disc's files
  // Heap, not stack: the run holds the copy buffer.
  const auto run = std::make_unique<CInstallRun>(plan, host);
  return run->Run();
}
