#include "PackageWriter.h"

#include <cstring>
#include <fstream>

namespace {

constexpr char kMagic[4] = {'A', 'R', 'C', '1'};
constexpr std::uint64_t kOffsetLimit = 0x80000000u;  // offsets are below 2^31
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kEntryFixedSize = 9;

void PutU32(std::vector<char>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift & 0xFF));
}

std::uint32_t GetU32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

}  // namespace

std::optional<std::vector<char>> BuildPackage(const std::vector<PackageMember>& members) {
  std::uint64_t offset = kHeaderSize;
  for (const PackageMember& member : members) {
    if (member.name.size() > 255) return std::nullopt;
    offset += kEntryFixedSize + member.name.size();
  }
  std::uint64_t total = offset;
  for (const PackageMember& member : members) {
    if (total >= kOffsetLimit || member.data.size() > 0xFFFFFFFFu) return std::nullopt;
    total += member.data.size();
  }

  std::vector<char> out;
  out.reserve(static_cast<std::size_t>(total));
  out.insert(out.end(), kMagic, kMagic + 4);
  PutU32(out, static_cast<std::uint32_t>(members.size()));
  for (const PackageMember& member : members) {
    PutU32(out, static_cast<std::uint32_t>(offset));
    PutU32(out, static_cast<std::uint32_t>(member.data.size()));
    out.push_back(static_cast<char>(member.name.size()));
    out.insert(out.end(), member.name.begin(), member.name.end());
    offset += member.data.size();
  }
  for (const PackageMember& member : members) out.insert(out.end(), member.data.begin(), member.data.end());
  return out;
}

std::optional<std::vector<StoredEntry>> ReadStoredIndex(const std::filesystem::path& packagePath) {
  std::error_code error;
  std::uint64_t fileSize = std::filesystem::file_size(packagePath, error);
  if (error) return std::nullopt;
  std::ifstream in(packagePath, std::ios::binary);
  unsigned char header[kHeaderSize];
  if (!in.read(reinterpret_cast<char*>(header), kHeaderSize)) return std::nullopt;
  if (std::memcmp(header, kMagic, 4) != 0) return std::nullopt;
  auto count = static_cast<std::int32_t>(GetU32(header + 4));

  std::vector<StoredEntry> entries;
  for (std::int32_t i = 0; i < count; ++i) {
    unsigned char fixed[kEntryFixedSize];
    if (!in.read(reinterpret_cast<char*>(fixed), kEntryFixedSize)) return std::nullopt;
    StoredEntry entry{GetU32(fixed), GetU32(fixed + 4), std::string(fixed[8], '\0')};
    if (!entry.name.empty() && !in.read(entry.name.data(), static_cast<std::streamsize>(entry.name.size())))
      return std::nullopt;
    if (entry.offset >= kOffsetLimit || std::uint64_t{entry.offset} + entry.size > fileSize) return std::nullopt;
    entries.push_back(std::move(entry));
  }
  return entries;
}
