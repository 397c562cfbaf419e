// The progress bars' figure (the copy page's and the repair check's), apart
// from the windows so that it builds and is tested on any platform.
#pragma once

#include <cstdint>

// The progress bar position for copied of total bytes: 0 to 100, computed
// without overflow. A total of 0 promises nothing, so the bar shows full
// once anything has been copied.
int ProgressPosition(std::uint64_t copied, std::uint64_t total);
