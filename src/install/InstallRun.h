// One installation, shared by the wizard's copy worker and the unattended
// install (setup.exe /S): every listed file copied with its last-write time
// and checked against its content hash as it is copied, then the install
// record, the shortcuts, the uninstall copy and the Apps & features entry.
// What it cannot decide alone it asks its host: the wizard asks the user,
// the unattended install decides by itself and writes its log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FileEntry;
struct InstallPlan;
class InstallSources;

class CInstallHost {
 public:
  enum class Choice { kRetry, kAbort };
  virtual ~CInstallHost() = default;

  // None of the plan's sources holds the file (its disc is in no drive);
  // searched: the folders looked in, in order.
  virtual Choice SourceMissing(const FileEntry& file,
                               const std::vector<std::wstring>& searched) = 0;
  // Reading, creating or writing failed; what was written is deleted.
  virtual Choice CopyFailed(const FileEntry& file) = 0;
  // The copy's bytes differ from the package's hash; the copy is deleted.
  virtual Choice ContentDiffers(const FileEntry& file) = 0;
  // The install record could not be written: the run ends as an abort.
  virtual void RecordFailed() = 0;
  // Asked twenty times a second while copying: true ends the run as an
  // abort.
  virtual bool AbortRequested() { return false; }
  // copied of total bytes; now: show it at once (a question follows, or
  // the copy is complete).
  virtual void Progress(std::uint64_t /*copied*/, std::uint64_t /*total*/, bool /*now*/) {}
  // A step done, for a log: a file copied from its source path, the record,
  // the links, the uninstall copy and entry (or why they failed).
  virtual void Note(const std::wstring& /*line*/) {}
};

// Files are read, hashed and written (and the repair's check reads) a chunk
// at a time: fewer, larger calls. With 64 KiB a large file's copy took about
// a tenth longer; past 512 KiB nothing more was gained.
inline constexpr std::uint32_t kInstallChunkBytes = 512 * 1024;

// Whether a copy of file would find it in sources: at one of their own
// places, or with its listed size on one of drives (CdromDriveRoots).
[[nodiscard]] bool SourcesHold(const InstallSources& sources, const FileEntry& file,
                               const std::vector<std::wstring>& drives);

// Copies the plan's files from its sources into its folder. An installation
// first marks itself as begun and writes the uninstall copy and the Apps &
// features entry, and goes on with one interrupted in the same folder (one
// interrupted elsewhere is removed first). True when the files and the
// record are in place (the links, the uninstall copy and the entry are made,
// or noted when they fail); false when the host chose to abort or the record
// failed: what was copied stays, listed, removable and marked as begun. A
// repair keeps an uninstall copy of the product that is there (the repair
// may run from it).
[[nodiscard]] bool RunInstall(const InstallPlan& plan, CInstallHost& host);
