#include "Autorun.h"

#include <cstdint>
#include <cstring>

#include "text/Cp932Encoder.h"

namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

std::uint32_t Little(const std::vector<char>& bytes, std::size_t offset, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
  return value;
}

}  // namespace

std::wstring DriveLabel(std::wstring_view title) {
  while (!title.empty() && IsBlank(title.front())) title.remove_prefix(1);
  title = title.substr(0, kMaxDriveLabel);
  while (!title.empty() && IsBlank(title.back())) title.remove_suffix(1);
  return std::wstring(title);
}

std::optional<std::string> AutorunInf(std::wstring_view label, bool withIcon) {
  std::optional<std::string> encoded = EncodeCp932(label);
  if (!encoded) return std::nullopt;
  std::string inf = "[autorun]\r\nopen=setup.exe\r\nlabel=" + *encoded + "\r\n";
  if (withIcon) inf += std::string("icon=") + kAutorunIconName + "\r\n";
  return inf;
}

bool IsIconFile(const std::vector<char>& bytes) {
  constexpr std::size_t kHeader = 6;
  constexpr std::size_t kEntry = 16;
  if (bytes.size() < kHeader || Little(bytes, 0, 2) != 0 || Little(bytes, 2, 2) != 1) return false;
  const std::size_t count = Little(bytes, 4, 2);
  const std::size_t directoryEnd = kHeader + count * kEntry;
  if (count == 0 || bytes.size() < directoryEnd) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = kHeader + i * kEntry;
    const std::uint64_t size = Little(bytes, entry + 8, 4);
    const std::uint64_t offset = Little(bytes, entry + 12, 4);
    if (size < 8 || offset < directoryEnd || offset + size > bytes.size()) return false;
    const char* image = bytes.data() + offset;
    const bool png = std::memcmp(image, "\x89PNG\r\n\x1a\n", 8) == 0;
    const std::uint32_t headerSize = Little(bytes, static_cast<std::size_t>(offset), 4);
    const bool dib = headerSize >= 40 && headerSize <= size;
    if (!png && !dib) return false;
  }
  return true;
}
