// Writes and lists the package archive: "ARC1", the entry count, the index
// entries (offset, size, name length, name) back to back, then the members'
// bytes in index order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct PackageMember {
  std::string name;  // code page 932 bytes, stored as given
  std::vector<char> data;
};

// The whole package file; nullopt when it cannot be represented: a name of
// more than 255 bytes, or a member that would start at 2^31 or later.
std::optional<std::vector<char>> BuildPackage(const std::vector<PackageMember>& members);

struct StoredEntry {
  std::uint32_t offset;
  std::uint32_t size;
  std::string name;  // as stored, not upper-cased
};

// The index as stored, with the names' original case. nullopt for a file
// that is no package or whose index or members lie past its end.
std::optional<std::vector<StoredEntry>> ReadStoredIndex(const std::filesystem::path& packagePath);
