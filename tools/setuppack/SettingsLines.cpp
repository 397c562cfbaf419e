#include "SettingsLines.h"

#include <string>

#include "Cp932Encoder.h"
#include "package/SettingsTable.h"

namespace {

std::string Key(std::wstring_view text) { return EncodeCp932(text).value_or(std::string()); }

}  // namespace

SettingsLines FindSettingsLines(std::string_view settingsBytes) {
  static const std::string kTitle = Key(L"タイトル");
  static const std::string kCompany = Key(L"社名");
  static const std::string kExeFile = Key(L"実行ファイル");
  static const std::string kReadmeFile = Key(L"readmeファイル");
  static const std::string kMenuFolder = Key(L"メニューフォルダ");
  static const std::string kFile = Key(L"ファイル");
  static const std::string kMenu = Key(L"メニュー");

  CSettingsTable table;
  table.Load(settingsBytes);
  int keyColumn = table.FindColumn(Key(L"項目"));
  SettingsLines lines;
  for (int row = 0; row < table.GetRowCount(); ++row) {
    int line = row + 2;  // the header is line 1 and every later line is a row
    std::string key = table.GetCell(row, keyColumn, "");
    if (key == kTitle) lines.title = line;
    else if (key == kCompany) lines.company = line;
    else if (key == kExeFile) lines.exeFile = line;
    else if (key == kReadmeFile) lines.readmeFile = line;
    else if (key == kMenuFolder) lines.menuFolder = line;
    else if (key == kFile) lines.files.push_back(line);
    else if (key == kMenu) lines.menus.push_back(line);
  }
  return lines;
}
