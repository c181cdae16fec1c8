// The most memory the process has held so far, in bytes (its peak resident set or
// working set); 0 where the system does not say.
#pragma once
#include <cstdint>

uint64_t PeakMemoryBytes();
