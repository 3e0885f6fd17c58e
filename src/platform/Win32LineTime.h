#pragma once

#include <cstdint>

#include "common/ReceivedLine.h"

// The UTC time of a line's local time, as the system keeps times (100 ns units since 1601, a FILETIME's
// value). False for fields that name no time.
bool UtcFileTimeOf(const TLineTime& time, std::uint64_t& fileTime);
