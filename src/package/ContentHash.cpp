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

#if defined(__i386__) || defined(__x86_64__)
// xxHash picks its vector code as it is compiled, for the compiler's baseline
// processor: a plain i686 in the 32-bit program, SSE2 in x86-64. The bulk
// step is also built for AVX2 (twice as fast again) and, in the 32-bit
// program, for SSE2 (four times the plain code); the widest that the
// processor and the system support is taken. The state's layout is the same
// in every build of the inline hash.
void UpdateContentHashAVX2(void* state, const void* data, std::size_t size);
#ifndef __SSE2__
void UpdateContentHashSSE2(void* state, const void* data, std::size_t size);
#endif
#endif

namespace {
using UpdateFunction = void (*)(void*, const void*, std::size_t);
void UpdateBaseline(void* state, const void* data, std::size_t size) {
  XXH3_128bits_update(static_cast<XXH3_state_t*>(state), data, size);
}
UpdateFunction WidestUpdate() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return UpdateContentHashAVX2;
#ifndef __SSE2__
  if (__builtin_cpu_supports("sse2")) return UpdateContentHashSSE2;
#endif
#endif
  return UpdateBaseline;
}
}  // namespace

void CContentHasher::Update(const void* data, std::size_t size) {
  static const UpdateFunction update = WidestUpdate();
  update(m_state->xxh, data, size);
}

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
