#include "wizard/Progress.h"

#include <algorithm>
#include <limits>

int ProgressPosition(std::uint64_t copied, std::uint64_t total) {
  if (copied == 0) return 0;
  if (copied >= total) return 100;  // also a total of 0, and files larger than listed
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  if (copied <= kMax / 100) return static_cast<int>(copied * 100 / total);
  // Beyond 2^57 bytes an approximation will do; short of the total is short of full.
  return static_cast<int>(std::min<std::uint64_t>(99, copied / (total / 100)));
}
