// The settings record of one product, filled from the package at start-up
// and read-only afterwards except installDir. Text is decoded once, here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPackageFile;

struct FileEntry {
  std::wstring name;  // relative to the source folder and to installDir
  std::wstring disc;  // label shown when that disc must be inserted
  std::uint32_t size = 0;
};

struct MenuEntry {
  std::wstring caption;  // shortcut file is caption + L".lnk" in menuFolder
  std::wstring target;   // relative to installDir
};

struct SetupInfo {
  std::wstring title;
  std::wstring company;
  std::wstring exeFile;
  std::wstring readmeFile;
  std::wstring menuFolder;
  std::wstring installDir;  // always ends in a backslash once set
  std::vector<FileEntry> files;
  std::vector<MenuEntry> menus;
  // True when every file carries the first non-empty disc label (compared
  // as the package's bytes); true without files.
  bool singleDisc = true;
};

// Reads "setting.csv" into info. False only when the member is missing.
[[nodiscard]] bool LoadSettings(CPackageFile& package, SetupInfo& info);

// Reads "filesize" into the size of every file. False only when the member
// is missing; a short member leaves the remaining sizes partly or wholly 0.
[[nodiscard]] bool LoadFileSizes(CPackageFile& package, SetupInfo& info);
