// The content hash of a product file: XXH3 128-bit in xxHash's canonical
// (big-endian) byte order, as the package's "filehash" member stores it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

using ContentHash = std::array<std::uint8_t, 16>;

// Hashes a file's bytes as they stream past, chunk by chunk.
class CContentHasher {
 public:
  CContentHasher();
  ~CContentHasher();
  CContentHasher(const CContentHasher&) = delete;
  CContentHasher& operator=(const CContentHasher&) = delete;

  // Starts over for another file (or another attempt at the same one).
  void Reset();
  void Update(const void* data, std::size_t size);
  ContentHash Digest() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

// 32 lower-case hexadecimal digits, most significant byte first.
std::string ToHex(const ContentHash& hash);
