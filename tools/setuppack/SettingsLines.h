// Where in the settings file each setting came from, so that refusals can
// name the line the publisher has to fix.
#pragma once

#include <string_view>
#include <vector>

struct SettingsLines {
  // 1-based line numbers; 0 where no row set the field.
  int title = 0;
  int company = 0;
  int exeFile = 0;
  int readmeFile = 0;
  int menuFolder = 0;
  std::vector<int> files;  // one per FileEntry, in the same order
  std::vector<int> menus;  // one per MenuEntry
};

// Reads the rows the way LoadSettings does (same table, same keys, later
// rows win), so files[i] is the line of SetupInfo::files[i].
SettingsLines FindSettingsLines(std::string_view settingsBytes);
