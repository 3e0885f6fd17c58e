#pragma once

#include <string>
#include <string_view>

// Converts UTF-8 to the system's code page, as the pane shows text: a character the code page cannot hold
// becomes "?", and so does a byte that is no UTF-8.
class IFromUtf8 {
  public:
    virtual ~IFromUtf8() = default;
    // Replaces codePageText's content with the converted text.
    virtual void Convert(std::string_view utf8, std::string& codePageText) = 0;
};
