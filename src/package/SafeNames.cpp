#include "package/SafeNames.h"

#include "package/SetupInfo.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Characters no Windows file name may hold. The colon would name a drive or
// an alternate data stream; the wildcards would make a name match others.
bool IsForbiddenCharacter(wchar_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;  // control, also NUL
  switch (c) {
    case L':':
    case L'*':
    case L'?':
    case L'"':
    case L'<':
    case L'>':
    case L'|':
      return true;
    default:
      return false;
  }
}

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c; }

bool EqualsAsciiNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// CON, NUL, COM1 and the like open a device instead of a file, also with an
// extension ("nul.txt").
bool IsDeviceName(std::wstring_view component) {
  std::wstring_view base = component.substr(0, component.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (EqualsAsciiNoCase(base, device)) return true;
  }
  if (base.size() == 4 && base[3] >= L'1' && base[3] <= L'9') {
    const std::wstring_view stem = base.substr(0, 3);
    return EqualsAsciiNoCase(stem, L"COM") || EqualsAsciiNoCase(stem, L"LPT");
  }
  return false;
}

// Windows drops trailing dots and blanks from a component, so "..", "..."
// and ".. " would all climb out or name something else than was meant.
bool IsSafeComponent(std::wstring_view component) {
  if (component.empty()) return false;
  if (component.back() == L'.' || component.back() == L' ') return false;
  return !IsDeviceName(component);
}

}  // namespace

bool IsSafeRelativePath(std::wstring_view path) {
  if (path.empty()) return false;
  for (const wchar_t c : path) {
    if (IsForbiddenCharacter(c)) return false;
  }
  std::size_t start = 0;
  while (true) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    // An empty component also catches a leading, doubled or trailing separator.
    if (!IsSafeComponent(path.substr(start, end - start))) return false;
    if (end == path.size()) return true;
    start = end + 1;
  }
}

bool IsSafeFileName(std::wstring_view name) {
  for (const wchar_t c : name) {
    if (IsSeparator(c)) return false;
  }
  return IsSafeRelativePath(name);
}

bool IsRelativeName(std::wstring_view name) {
  if (name.empty() || IsSeparator(name.front())) return false;
  for (const wchar_t c : name) {
    if (c == L':' || c < 0x20) return false;
  }
  return true;
}

std::optional<UnsafeName> FindUnsafeName(const SetupInfo& info) {
  const auto unsafe = [](NameField field, const std::wstring& value, const wchar_t* reason,
                         std::size_t entry = 0) {
    return UnsafeName{field, entry, value, reason + value};
  };
  // Without a title or a maker there is no install record: what is
  // installed could never be found again, nor removed.
  if (info.title.empty()) return unsafe(NameField::kTitle, info.title, L"title is empty");
  if (info.company.empty()) return unsafe(NameField::kMaker, info.company, L"maker is empty");
  // The title becomes file names (the temporary copy, the shortcuts).
  if (!IsSafeFileName(info.title)) {
    return unsafe(NameField::kTitle, info.title, L"title is not a safe file name: ");
  }
  // The maker names a folder of the default install path and a registry key
  // whose subkey the removal deletes: a separator would reach another key.
  if (!IsSafeFileName(info.company)) {
    return unsafe(NameField::kMaker, info.company, L"maker is not a safe file name: ");
  }
  // The menu folder is always needed: an empty one would put the shortcuts,
  // and the removal of empty folders, into the Programs folder itself.
  if (!IsSafeRelativePath(info.menuFolder)) {
    return unsafe(NameField::kMenuFolder, info.menuFolder,
                  L"menu folder is not a safe relative path: ");
  }
  if (!info.exeFile.empty() && !IsRelativeName(info.exeFile)) {
    return unsafe(NameField::kExeFile, info.exeFile, L"executable is not a relative path: ");
  }
  if (!info.readmeFile.empty() && !IsRelativeName(info.readmeFile)) {
    return unsafe(NameField::kReadmeFile, info.readmeFile, L"readme is not a relative path: ");
  }
  for (std::size_t i = 0; i < info.files.size(); ++i) {
    if (!IsSafeRelativePath(info.files[i].name)) {
      return unsafe(NameField::kFile, info.files[i].name,
                    L"file name is not a safe relative path: ", i);
    }
  }
  for (std::size_t i = 0; i < info.menus.size(); ++i) {
    const MenuEntry& menu = info.menus[i];
    if (!IsSafeRelativePath(menu.caption)) {
      return unsafe(NameField::kMenuCaption, menu.caption,
                    L"menu caption is not a safe relative path: ", i);
    }
    // An empty target (the default) points the shortcut at the install
    // folder itself; a shortcut's target is never written or deleted.
    if (!menu.target.empty() && !IsSafeRelativePath(menu.target)) {
      return unsafe(NameField::kMenuTarget, menu.target,
                    L"menu target is not a safe relative path: ", i);
    }
  }
  return std::nullopt;
}
