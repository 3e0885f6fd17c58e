#include "pane/TextFile.h"

std::string PaneTextFromFileBytes(const std::string& bytes) {
    const std::string::size_type end = bytes.find('\0');
    const std::string::size_type length = end == std::string::npos ? bytes.size() : end;

    std::string text;
    text.reserve(length + length / 32);
    for (std::string::size_type i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            text += "\r\n";
            if (i + 1 < length && bytes[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}
