#include "install/InstallNames.h"

#include <algorithm>
#include <cstdint>

#include "package/ContentHash.h"
#include "package/PackageFile.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "text/Utf8.h"

namespace {

// The longest name a file system keeps: 255 UTF-16 units on Windows, 255
// bytes of UTF-8 where Wine keeps the files on a Unix file system (a longer
// name is refused there, or cut so that the copy and the log meet in one
// file). Without the terminating zero, as kMaxPathChars.
constexpr std::size_t kMaxNameChars = 255;
constexpr std::size_t kMaxNameBytes = 255;

// The UTF-8 bytes of one UTF-16 unit (a surrogate pair's two make 4).
std::size_t Utf8Bytes(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  if (code < 0x80) return 1;
  if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) return 2;
  return code < 0x10000 ? 3 : 4;
}

std::size_t Utf8Bytes(const std::wstring& text) {
  std::size_t bytes = 0;
  for (const wchar_t c : text) bytes += Utf8Bytes(c);
  return bytes;
}

constexpr std::wstring_view kTempStem = L"setup_", kProgramExtension = L".exe";

// "setup_" + title + extension, cut as TempProgramName tells.
std::wstring TempFileName(const std::wstring& tempFolder, const std::wstring& title,
                          std::wstring_view extension) {
  const std::wstring stem(kTempStem), ext(extension);
  const std::size_t folderChars = text::WithTrailingBackslash(tempFolder).size();
  const std::size_t room =
      std::min(kMaxNameChars, kMaxPathChars - std::min(kMaxPathChars, folderChars));
  const std::wstring whole = stem + title + ext;
  if (whole.size() <= room && Utf8Bytes(whole) <= kMaxNameBytes) return whole;

  CContentHasher hasher;
  const std::string bytes = text::ToUtf8(title);
  hasher.Update(bytes.data(), bytes.size());
  const std::string hex = ToHex(hasher.Digest()).substr(0, 8);
  const std::wstring mark = L"~" + std::wstring(hex.begin(), hex.end());
  // Every character of these is one byte in UTF-8.
  const std::size_t fixed = stem.size() + mark.size() + ext.size();
  if (fixed > room) return {};
  std::size_t kept = 0;
  for (std::size_t charsLeft = room - fixed, bytesLeft = kMaxNameBytes - fixed;
       kept < title.size() && charsLeft > 0 && Utf8Bytes(title[kept]) <= bytesLeft; ++kept) {
    --charsLeft;
    bytesLeft -= Utf8Bytes(title[kept]);
  }
  // Never half a surrogate pair.
  if (kept > 0 && title[kept - 1] >= 0xD800 && title[kept - 1] <= 0xDBFF) --kept;
  return stem + title.substr(0, kept) + mark + ext;
}

}  // namespace

std::wstring InstallRecordKeyPath(const SetupInfo& info) {
  if (info.company.empty() || info.title.empty()) return {};
  return L"SOFTWARE\\" + info.company + L"\\" + info.title;
}

std::wstring UninstallEntryKeyName(const SetupInfo& info, int number) {
  if (info.company.empty() || info.title.empty()) return {};
  const std::wstring name = info.company + L" " + info.title;
  return number < 2 ? name : name + L" (" + std::to_wstring(number) + L")";
}

std::wstring UninstallEntryKeyPath(const std::wstring& keyName) {
  if (keyName.empty() || keyName.find(L'\\') != std::wstring::npos) return {};
  return std::wstring(kUninstallEntriesKey) + L"\\" + keyName;
}

std::wstring ProductFolderIn(const std::wstring& parent, const SetupInfo& info) {
  return text::WithTrailingBackslash(parent) + info.company + L"\\" + info.title;
}

std::wstring TempProgramName(const std::wstring& tempFolder, const std::wstring& title) {
  return TempFileName(tempFolder, title, kProgramExtension);
}

std::wstring LogFileName(const std::wstring& tempFolder, const std::wstring& title) {
  return TempFileName(tempFolder, title, L".log");
}

bool IsTempProgramName(std::wstring_view name) {
  // The extension in any case: the file system does not tell them apart.
  const auto lower = [](wchar_t c) {
    return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c;
  };
  return name.size() > kTempStem.size() + kProgramExtension.size() &&
         name.substr(0, kTempStem.size()) == kTempStem &&
         std::equal(kProgramExtension.begin(), kProgramExtension.end(),
                    name.end() - kProgramExtension.size(),
                    [&](wchar_t a, wchar_t b) { return a == lower(b); });
}

namespace {
constexpr std::wstring_view kRunFolderStemView = kRunFolderStem;
constexpr std::size_t kRunFolderDigits = 8;
}  // namespace

std::wstring RunFolderName(std::uint32_t number) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring name(kRunFolderStem);
  for (std::size_t shift = 4 * kRunFolderDigits; shift != 0; shift -= 4)
    name += kDigits[(number >> (shift - 4)) & 0xF];
  return name;
}

bool IsRunFolderName(std::wstring_view name) {
  if (name.size() != kRunFolderStemView.size() + kRunFolderDigits ||
      name.substr(0, kRunFolderStemView.size()) != kRunFolderStemView)
    return false;
  for (const wchar_t c : name.substr(kRunFolderStemView.size()))
    if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
  return true;
}

bool IsPackageOf(const std::optional<std::vector<char>>& bytes, const SetupInfo& info) {
  CPackageFile package;
  SetupInfo found;
  return bytes && package.OpenPackage(bytes->data(), bytes->size()) &&
         LoadSettings(package, found) && found.title == info.title &&
         found.company == info.company;
}
