#include "package/SetupInfo.h"

#include <algorithm>

#include "package/Members.h"
#include "package/PackageFile.h"
#include "package/ByteOrder.h"
#include "package/SafeNames.h"
#include "package/SettingsTable.h"
#include "text/Cp932.h"

namespace {

// Keys and column names as the package holds them (code page 932 bytes).
constexpr std::string_view kKeyColumn = "\x8D\x80\x96\xDA";                            // 項目
constexpr std::string_view kValueColumn = "\x83\x70\x83\x89\x83\x81\x81\x5B\x83\x5E";  // パラメータ
constexpr std::string_view kTitle = "\x83\x5E\x83\x43\x83\x67\x83\x8B";  // タイトル
constexpr std::string_view kCompany = "\x8E\xD0\x96\xBC";                // 社名
constexpr std::string_view kExeFile =
    "\x8E\xC0\x8D\x73\x83\x74\x83\x40\x83\x43\x83\x8B";  // 実行ファイル
constexpr std::string_view kReadmeFile =
    "readme\x83\x74\x83\x40\x83\x43\x83\x8B";  // readmeファイル
constexpr std::string_view kMenuFolder =
    "\x83\x81\x83\x6A\x83\x85\x81\x5B\x83\x74\x83\x48\x83\x8B\x83\x5F";  // メニューフォルダ
constexpr std::string_view kFile = "\x83\x74\x83\x40\x83\x43\x83\x8B";   // ファイル
constexpr std::string_view kMenu = "\x83\x81\x83\x6A\x83\x85\x81\x5B";   // メニュー
constexpr std::string_view kDefaultDisc = "DISC1";

}  // namespace

bool LoadSettings(CPackageFile& package, SetupInfo& info, SettingsLines* lines) {
  std::optional<std::vector<char>> member = package.LoadMember(kSettingsMember);
  if (!member) return false;
  ParseSettings(std::move(*member), info, lines);
  return true;
}

void ParseSettings(std::vector<char> bytes, SetupInfo& info, SettingsLines* lines) {
  SettingsLines found;
  CSettingsTable table;
  table.Load(std::move(bytes));
  const int keyColumn = table.FindColumn(kKeyColumn);
  const int valueColumn = table.FindColumn(kValueColumn);

  // The single fields keep their bytes until the end: a later row
  // overwrites an earlier one, and only the survivor is decoded.
  std::string_view title, company, exeFile, readmeFile, menuFolder;
  std::string_view referenceDisc;
  bool singleDisc = true;
  std::vector<FileEntry> files;
  std::vector<MenuEntry> menus;

  // Sized from the file rows only: a text of empty lines reserves nothing.
  std::size_t fileRows = 0;
  for (int row = 0; row < table.GetRowCount(); ++row) {
    if (table.CellView(row, keyColumn, {}) == kFile) ++fileRows;
  }
  files.reserve(fileRows);
  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string_view key = table.CellView(row, keyColumn, {});
    if (key.empty()) continue;
    const int line = row + 2;
    // The keys are distinct, so testing the most frequent one first changes
    // nothing but the speed.
    if (key == kFile) {
      // Without a value column the disc label comes from the first column.
      const std::string_view name = table.CellView(row, valueColumn, {});
      const std::string_view disc = table.CellView(row, valueColumn + 1, kDefaultDisc);
      // Labels are compared as bytes; the first non-empty one is the
      // reference, and an empty one before it is not compared.
      if (referenceDisc.empty()) {
        referenceDisc = disc;
      } else if (disc != referenceDisc) {
        singleDisc = false;
      }
      files.push_back({text::DecodeCp932(name), text::DecodeCp932(disc), 0, std::nullopt});
      found.files.push_back(line);
    } else if (key == kTitle) {
      title = table.CellView(row, valueColumn, {});
      found.title = line;
    } else if (key == kCompany) {
      company = table.CellView(row, valueColumn, {});
      found.company = line;
    } else if (key == kExeFile) {
      exeFile = table.CellView(row, valueColumn, {});
      found.exeFile = line;
    } else if (key == kReadmeFile) {
      readmeFile = table.CellView(row, valueColumn, {});
      found.readmeFile = line;
    } else if (key == kMenuFolder) {
      menuFolder = table.CellView(row, valueColumn, {});
      found.menuFolder = line;
    } else if (key == kMenu) {
      const std::string_view caption = table.CellView(row, valueColumn, {});
      const std::string_view target = table.CellView(row, valueColumn + 1, {});
      menus.push_back({text::DecodeCp932(caption), text::DecodeCp932(target)});
      found.menus.push_back(line);
    }
  }

  info.title = text::DecodeCp932(title);
  info.company = text::DecodeCp932(company);
  info.exeFile = text::DecodeCp932(exeFile);
  info.readmeFile = text::DecodeCp932(readmeFile);
  info.menuFolder = menuFolder.empty() ? info.title : text::DecodeCp932(menuFolder);
  info.files = std::move(files);
  info.menus = std::move(menus);
  info.singleDisc = singleDisc;
  if (lines) *lines = std::move(found);
}

bool LoadFileSizes(CPackageFile& package, SetupInfo& info) {
  const std::optional<std::vector<char>> member = package.LoadMember(kSizesMember);
  if (!member) return false;

  // A short tail fills the low-order bytes of its size, and files past the
  // end keep 0.
  std::size_t position = 0;
  for (FileEntry& file : info.files) {
    std::uint32_t size = 0;
    for (unsigned shift = 0; shift < 8 * kFileSizeBytes && position < member->size();
         shift += 8, ++position) {
      size |= static_cast<std::uint32_t>(static_cast<unsigned char>((*member)[position])) << shift;
    }
    file.size = size;
  }
  return true;
}

std::vector<char> EncodeFileSizes(const SetupInfo& info) {
  std::vector<char> bytes;
  for (const FileEntry& file : info.files) AppendLittleEndian32(bytes, file.size);
  return bytes;
}

std::vector<char> EncodeFileHashes(const SetupInfo& info) {
  std::vector<char> bytes;
  for (const FileEntry& file : info.files) {
    const ContentHash hash = file.hash.value_or(ContentHash{});
    bytes.insert(bytes.end(), hash.begin(), hash.end());
  }
  return bytes;
}

std::wstring FirstDiscLabel(const SetupInfo& info) {
  return info.files.empty() ? text::DecodeCp932(kDefaultDisc) : info.files.front().disc;
}

std::uint64_t BytesToInstall(const SetupInfo& info) { return BytesOf(info.files); }

std::uint64_t BytesOf(const std::vector<FileEntry>& files) {
  std::uint64_t total = 0;
  for (const FileEntry& file : files) total += file.size;
  return total;
}

void LoadFileHashes(CPackageFile& package, SetupInfo& info) {
  const std::optional<std::vector<char>> member = package.LoadMember(kHashesMember);
  if (!member) return;
  const std::size_t covered = std::min(info.files.size(), member->size() / ContentHash().size());
  for (std::size_t i = 0; i < covered; ++i) {
    ContentHash hash;
    for (std::size_t j = 0; j < hash.size(); ++j) {
      hash[j] = static_cast<std::uint8_t>((*member)[i * hash.size() + j]);
    }
    info.files[i].hash = hash;
  }
}

std::wstring FieldName(NameField field) {
  switch (field) {
    case NameField::kTitle:
      return text::DecodeCp932(kTitle);
    case NameField::kMaker:
      return text::DecodeCp932(kCompany);
    case NameField::kMenuFolder:
      return text::DecodeCp932(kMenuFolder);
    case NameField::kExeFile:
      return text::DecodeCp932(kExeFile);
    case NameField::kReadmeFile:
      return text::DecodeCp932(kReadmeFile);
    case NameField::kFile:
      return text::DecodeCp932(kFile);
    case NameField::kMenuCaption:
      return text::DecodeCp932(kMenu);
    case NameField::kMenuTarget:
      return text::DecodeCp932(kMenu) + L"\x306E\x30EA\x30F3\x30AF\x5148";  // のリンク先
  }
  return {};
}

int FieldLine(const SettingsLines& lines, const UnsafeName& unsafe) {
  switch (unsafe.field) {
    case NameField::kTitle:
      return lines.title;
    case NameField::kMaker:
      return lines.company;
    case NameField::kMenuFolder:
      return lines.menuFolder != 0 ? lines.menuFolder : lines.title;
    case NameField::kExeFile:
      return lines.exeFile;
    case NameField::kReadmeFile:
      return lines.readmeFile;
    case NameField::kFile:
      return unsafe.entry < lines.files.size() ? lines.files[unsafe.entry] : 0;
    case NameField::kMenuCaption:
    case NameField::kMenuTarget:
      return unsafe.entry < lines.menus.size() ? lines.menus[unsafe.entry] : 0;
  }
  return 0;
}
