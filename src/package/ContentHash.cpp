#include "package/ContentHash.h"

// Inline: the hash needs no library at run time, on Windows neither.
#define XXH_INLINE_ALL
#include <xxhash.h>

struct CContentHasher::State {
  XXH3_state_t* xxh = XXH3_createState();
  ~State() { XXH3_freeState(xxh); }
};

CContentHasher::CContentHasher() : m_state(std::make_unique<State>()) { Reset(); }
CContentHasher::~CContentHasher() = default;

void CContentHasher::Reset() { XXH3_128bits_reset(m_state->xxh); }

#if defined(_WIN32) && !defined(_WIN64)
#include <windows.h>
// The 32-bit program runs on processors without SSE2 too: the bulk of the
// hash takes the SSE2 path (4 times as fast) only where the processor has it.
void UpdateContentHashSse2(void* state, const void* data, std::size_t size);
void CContentHasher::Update(const void* data, std::size_t size) {
  static const bool sse2 = ::IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
  if (sse2) return UpdateContentHashSse2(m_state->xxh, data, size);
  XXH3_128bits_update(m_state->xxh, data, size);
}
#else
void CContentHasher::Update(const void* data, std::size_t size) {
  XXH3_128bits_update(m_state->xxh, data, size);
}
#endif

ContentHash CContentHasher::Digest() const {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(m_state->xxh));
  ContentHash hash;
  for (std::size_t i = 0; i < hash.size(); ++i) hash[i] = canonical.digest[i];
  return hash;
}

std::string ToHex(const ContentHash& hash) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : hash) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}
