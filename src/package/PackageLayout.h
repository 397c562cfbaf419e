// The package archive's layout, for its reader and its writer: the magic,
// the entry count, then per entry its offset, size (both 32-bit little
// endian), name length (one byte) and name, then the members' bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace layout {

inline constexpr std::string_view kMagic = "ARC1";
inline constexpr std::size_t kHeaderSize = 8;      // magic, entry count
inline constexpr std::size_t kEntryFixedSize = 9;  // offset, size, name length
inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr std::uint32_t kMaxOffset = 0x7FFFFFFF;  // offsets lie below 2^31

inline std::uint32_t GetU32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) |
         (static_cast<std::uint32_t>(bytes[3]) << 24);
}

template <typename Bytes>
void PutU32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>(value >> shift & 0xFF));
}

}  // namespace layout
