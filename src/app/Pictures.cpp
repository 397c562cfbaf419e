#include "app/Pictures.h"

#include <cstdint>
#include <cstring>

#include "package/Bitmap.h"
#include "package/PackageFile.h"

win::UniqueBitmap CreatePicture(const std::vector<char>& member) {
  const std::optional<BitmapLayout> layout = ParseBitmap(member.data(), member.size());
  if (!layout) return {};

  // The info block sits at offset 14 of the member, which is not aligned
  // for BITMAPINFOHEADER: hand the system an aligned copy.
  std::vector<std::uint32_t> info((layout->infoSize + 3) / 4);
  std::memcpy(info.data(), member.data() + layout->infoOffset, layout->infoSize);

  void* pixels = nullptr;
  win::UniqueBitmap bitmap(::CreateDIBSection(nullptr,
                                              reinterpret_cast<const BITMAPINFO*>(info.data()),
                                              DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || !pixels) return {};

  // Copy only what the section the system made can hold.
  DIBSECTION section{};
  if (::GetObjectW(bitmap.get(), sizeof section, &section) != sizeof section) return {};
  const std::uint64_t capacity = static_cast<std::uint64_t>(section.dsBm.bmWidthBytes) *
                                 static_cast<std::uint64_t>(section.dsBm.bmHeight);
  if (capacity < layout->pixelBytes) return {};

  std::memcpy(pixels, member.data() + layout->pixelOffset, layout->pixelBytes);
  ::GdiFlush();
  return bitmap;
}

win::UniqueBitmap LoadPicture(CPackageFile& package, std::string_view memberName) {
  const std::optional<std::vector<char>> member = package.LoadMember(memberName);
  if (!member) return {};
  return CreatePicture(*member);
}
