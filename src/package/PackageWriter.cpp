#include "package/PackageWriter.h"

#include "package/ByteOrder.h"
#include "package/PackageLayout.h"

std::optional<std::vector<char>> BuildPackage(const std::vector<PackageMember>& members) {
  std::uint64_t offset = layout::kHeaderSize;
  for (const PackageMember& member : members) {
    if (member.name.size() > layout::kMaxNameBytes) return std::nullopt;
    offset += layout::kEntryFixedSize + member.name.size();
  }
  std::uint64_t total = offset;
  for (const PackageMember& member : members) {
    if (total > layout::kMaxOffset || member.data.size() > 0xFFFFFFFFu) return std::nullopt;
    total += member.data.size();
  }

  std::vector<char> out;
  out.reserve(static_cast<std::size_t>(total));
  out.insert(out.end(), layout::kMagic.begin(), layout::kMagic.end());
  AppendLittleEndian32(out, static_cast<std::uint32_t>(members.size()));
  for (const PackageMember& member : members) {
    AppendLittleEndian32(out, static_cast<std::uint32_t>(offset));
    AppendLittleEndian32(out, static_cast<std::uint32_t>(member.data.size()));
    out.push_back(static_cast<char>(member.name.size()));
    out.insert(out.end(), member.name.begin(), member.name.end());
    offset += member.data.size();
  }
  for (const PackageMember& member : members)
    out.insert(out.end(), member.data.begin(), member.data.end());
  return out;
}
