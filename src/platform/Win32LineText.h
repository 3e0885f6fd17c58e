#pragma once

#include <string>
#include <string_view>

// UTF-8 text in the system's code page, "?" for what that cannot hold.
std::string CodePageText(std::string_view utf8);
// Text in the system's code page as UTF-8.
std::string Utf8Text(std::string_view codePage);
