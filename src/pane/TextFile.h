#pragma once

#include <string>

// Turns the bytes of a text file into pane text: every lone CR and every
// lone LF becomes CR LF, and the text ends at the first zero byte.
std::string PaneTextFromFileBytes(const std::string& bytes);
