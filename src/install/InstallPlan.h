// A run's plan, made once at its start and passed down: what is installed
// (the package's settings, never written after loading), where it goes, where
// its files are looked for and which of them are copied. Nothing a run does
// depends on the process's current folder.
#pragma once

#include <string>
#include <vector>

#include "install/InstallFolder.h"
#include "package/SetupInfo.h"

// Where a run looks for a file of a disc, in this order: the source folder;
// where every disc is searched, the folder named after the file's disc label
// beside it (a set copied into folders named after their labels), then the
// source folder's path on each other CD-ROM drive, in drive-letter order (a
// set's images mounted side by side). Folders, each ending in a backslash.
class InstallSources {
 public:
  // folder: full, ending in a backslash (the folder the package was read
  // from, or the one the installation came from).
  InstallSources(std::wstring folder, bool everyDisc);

  const std::wstring& Folder() const { return m_folder; }
  // The source's own places for file: the source folder, then its label's
  // folder. A file there is taken as the disc's own, damaged where it
  // differs from what the package lists.
  std::vector<std::wstring> OwnFoldersOf(const FileEntry& file) const;
  // The source folder's path on each of drives (roots, CdromDriveRoots) but
  // the source's own; none unless every disc is searched. A file there is
  // taken only when it is the disc's (another disc may be in that drive).
  std::vector<std::wstring> DriveFolders(const std::vector<std::wstring>& drives) const;
 private:
  // The folder of file's disc label beside the source folder; empty when
  // not searched, for a drive's root (nothing is beside it) and for a label
  // that is no plain folder name.
  std::wstring DiscFolderOf(const FileEntry& file) const;

  std::wstring m_folder;
  std::wstring m_besideFolder;  // empty: no disc folders are searched
  std::size_t m_rootLength = 0;  // of m_folder; 0: no other drive is searched
};

enum class RunKind {
  kInstall,  // every file, then the record, links, uninstall copy and entry
  kRepair,   // the files that differ, then the same; keeps this product's uninstall copy
};

struct InstallPlan {
  const SetupInfo& settings;
  InstallFolder folder;
  InstallSources sources;
  RunKind kind;
  std::vector<FileEntry> files;  // copied in this order
};

// An installation of every file of settings.
InstallPlan InstallPlanFor(const SetupInfo& settings, InstallFolder folder, InstallSources sources);
// A repair that restores damaged, files of settings, in folder.
InstallPlan RepairPlanFor(const SetupInfo& settings, InstallFolder folder, InstallSources sources,
                          std::vector<FileEntry> damaged);
