// The settings record of one product, filled from the package at start-up
// and read-only afterwards. Text is decoded once, here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/ContentHash.h"

class CPackageFile;

struct FileEntry {
  std::wstring name;  // relative to the source folder and to the install folder
  std::wstring disc;  // label shown when that disc must be inserted
  std::uint32_t size = 0;
  // What the publisher's copy held; none when the package does not say.
  std::optional<ContentHash> hash;
};

struct MenuEntry {
  std::wstring caption;  // shortcut file is caption + L".lnk" in menuFolder
  std::wstring target;   // relative to the install folder
};

struct SetupInfo {
  std::wstring title;
  std::wstring company;
  std::wstring exeFile;
  std::wstring readmeFile;
  std::wstring menuFolder;
  std::vector<FileEntry> files;
  std::vector<MenuEntry> menus;
  // True when every file carries the first non-empty disc label (compared
  // as the package's bytes); true without files.
  bool singleDisc = true;
  // The package file's bytes as start-up read them: an installation copies
  // them beside the uninstall copy of the program. Empty where not kept.
  std::vector<char> packageBytes;
};

// Where in "setting.csv" each setting came from: 1-based lines (the header
// is line 1, every later line a row), 0 where no row set it. The
// publisher's tool names the line to fix.
struct SettingsLines {
  int title = 0;
  int company = 0;
  int exeFile = 0;
  int readmeFile = 0;
  int menuFolder = 0;
  std::vector<int> files;  // one per FileEntry, in the same order
  std::vector<int> menus;  // one per MenuEntry
};

// Reads the settings table's bytes into info (and, when asked, the lines).
void ParseSettings(std::vector<char> bytes, SetupInfo& info, SettingsLines* lines = nullptr);

// Reads "setting.csv" into info. False only when the member is missing.
[[nodiscard]] bool LoadSettings(CPackageFile& package, SetupInfo& info,
                                SettingsLines* lines = nullptr);

// The "filesize" member: kFileSizeBytes little-endian bytes a file, in the
// files' order; "filehash": the ContentHash of every file, in that order.
inline constexpr std::size_t kFileSizeBytes = 4;
std::vector<char> EncodeFileSizes(const SetupInfo& info);
// Files without a hash get sixteen zero bytes.
std::vector<char> EncodeFileHashes(const SetupInfo& info);

// Reads "filesize" into the size of every file. False only when the member
// is missing; a short member leaves the remaining sizes partly or wholly 0.
[[nodiscard]] bool LoadFileSizes(CPackageFile& package, SetupInfo& info);

// The label of the disc that holds the first file (and the launcher): the
// first file row's, or the label a row without one gets.
std::wstring FirstDiscLabel(const SetupInfo& info);

// The bytes the product's files take: the installation's whole size.
std::uint64_t BytesToInstall(const SetupInfo& info);
// The bytes these files take (a repair's share of them).
std::uint64_t BytesOf(const std::vector<FileEntry>& files);

// Reads the optional "filehash" (16 bytes a file, in the files' order) into
// the hash of every file it covers; the others, and all files of a package
// without it, keep none and are installed unchecked.
void LoadFileHashes(CPackageFile& package, SetupInfo& info);
