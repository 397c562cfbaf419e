// The package archive's layout, for its reader and its writer: the magic,
// the entry count, then per entry its offset, size (both 32-bit little
// endian), name length (one byte) and name, then the members' bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace layout {

inline constexpr std::string_view kMagic = "ARC1";
inline constexpr std::size_t kHeaderSize = 8;      // magic, entry count
inline constexpr std::size_t kEntryFixedSize = 9;  // offset, size, name length
inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr std::uint32_t kMaxOffset = 0x7FFFFFFF;  // offsets lie below 2^31

}  // namespace layout
