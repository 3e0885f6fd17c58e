#pragma once

#include <string>

// How a text file's bytes become pane text, written as plainly as possible
// to check the viewer's own conversion against: cut at the first zero, make
// every kind of line break a LF, then write each LF as CR LF.
inline std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::string::size_type at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

inline std::string ReferencePaneText(const std::string& fileBytes) {
    std::string text = fileBytes.substr(0, fileBytes.find('\0'));
    text = ReplaceAll(text, "\r\n", "\n");
    text = ReplaceAll(text, "\r", "\n");
    return ReplaceAll(text, "\n", "\r\n");
}
