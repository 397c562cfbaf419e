#include "package/PackageWriter.h"

namespace {

constexpr char kMagic[4] = {'A', 'R', 'C', '1'};
constexpr std::uint64_t kOffsetLimit = 0x80000000u;  // offsets are below 2^31
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kEntryFixedSize = 9;

void PutU32(std::vector<char>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>(value >> shift & 0xFF));
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
  for (const PackageMember& member : members)
    out.insert(out.end(), member.data.begin(), member.data.end());
  return out;
}
