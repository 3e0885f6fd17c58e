#pragma once

#include <string>

// The system's own words for an error code (GetLastError's), without the line break they end with.
std::string SystemErrorText(unsigned long error);
