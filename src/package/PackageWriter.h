// Writes the package archive that CPackageFile reads: "ARC1", the entry
// count, the index entries (offset, size, name length, name) back to back,
// then the members' bytes in index order.
#pragma once

#include <cstdint>
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
