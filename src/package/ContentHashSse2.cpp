// The hash's bulk step built for SSE2, in the 32-bit program whose baseline
// processor lacks it; ContentHash.cpp calls it where the processor has SSE2.
// The state's layout is the same in both builds of the inline hash.
#include <cstddef>

#define XXH_INLINE_ALL
#include <xxhash.h>

void UpdateContentHashSse2(void* state, const void* data, std::size_t size) {
  XXH3_128bits_update(static_cast<XXH3_state_t*>(state), data, size);
}
