// Names from a package become paths: file names below the install folder,
// shortcut names, the menu folder, the title in file names. A package with a
// name that could reach outside its folder is refused as a whole, before any
// window exists, so the wizard and the removal never meet such a name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct SetupInfo;
struct SettingsLines;

// A relative path that stays inside its base folder: not empty, no drive or
// stream colon, no leading separator, no "." or ".." component, no empty
// component (doubled separator), no control character (NUL included). Both
// '\\' and '/' count as separators. Also refused, because Windows would
// alter or redirect the name: the characters * ? " < > |, a component that
// ends in a dot or a blank ("...", ".. "), and device names (CON, NUL.txt,
// COM1, ...).
bool IsSafeRelativePath(std::wstring_view path);

// A single file-name component: IsSafeRelativePath and no separator.
bool IsSafeFileName(std::wstring_view name);

// A name that is only opened or started, never written or deleted (the
// readme, the game program): it must stay relative to its folder (no drive
// or stream colon, no leading separator, no control character); ".." is
// the publisher's choice.
bool IsRelativeName(std::wstring_view name);

// The settings field a name comes from.
enum class NameField {
  kTitle,
  kMaker,
  kMenuFolder,
  kExeFile,
  kReadmeFile,
  kFile,
  kMenuCaption,
  kMenuTarget
};

// Why a package cannot be used: which field, its value, and the reason in
// English for the publisher's tool ("file name is not a safe relative
// path: ..\x").
struct UnsafeName {
  NameField field;
  std::size_t entry;  // its index in files or menus; 0 for the other fields
  std::wstring value;
  std::wstring reason;
};

// The first name of info that the launcher refuses, or nullopt when every
// name is usable. Checked: title and maker (never empty: they name the
// install record; file names: the title names files, the maker a folder and
// a registry key), menuFolder (a relative path, never empty), exeFile and
// readmeFile when set (IsRelativeName), every file name, every menu caption
// (a relative path) and every menu target when set (empty is the install
// folder).
std::optional<UnsafeName> FindUnsafeName(const SetupInfo& info);

// The field as the publisher knows it: its settings key ("タイトル"), or
// "メニューのリンク先" for a menu's target.
std::wstring FieldName(NameField field);
// The settings line an unsafe name came from; a menu folder left out is
// the title's.
int FieldLine(const SettingsLines& lines, const UnsafeName& unsafe);
