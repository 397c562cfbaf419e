// How often a long run (the copy, the repair's check) stops to show where it
// stands and to look whether it should end.
#pragma once

#include <cstdint>

// In milliseconds of GetTickCount64. Twenty times a second moves a progress
// bar smoothly and answers a Cancel press sooner than a person can tell.
// More often costs the run: a look at the cancel request (a zero-timeout
// wait) is a round trip to the Wine server, slow on a busy machine: once
// per chunk it took a third of the copy's time, once per 4 MiB still a few
// hundredths; a shown position waits for a repaint.
inline constexpr std::uint64_t kUpdateIntervalMs = 50;
