// The hash's bulk step built for a wider processor than the compiler's
// baseline (the build names it and the function: CONTENT_HASH_UPDATE);
// ContentHash.cpp calls it where the processor and the system support it.
#include <cstddef>

#define XXH_INLINE_ALL
#include <xxhash.h>

void CONTENT_HASH_UPDATE(void* state, const void* data, std::size_t size) {
  XXH3_128bits_update(static_cast<XXH3_state_t*>(state), data, size);
}
