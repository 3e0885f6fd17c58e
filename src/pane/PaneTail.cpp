#include "pane/PaneTail.h"

#include <algorithm>

std::vector<TLineSpan> LastLines(const std::string& text, std::size_t count) {
    std::vector<TLineSpan> lines;
    if (count == 0)
        return lines;
    std::size_t end = text.size();
    while (lines.size() < count) {
        // The line ends at end; it starts after the CR LF before it, if any.
        std::size_t start = 0;
        bool hasBreakBefore = false;
        if (end >= 2) {
            const std::size_t breakAt = text.rfind("\r\n", end - 2);
            if (breakAt != std::string::npos) {
                start = breakAt + 2;
                hasBreakBefore = true;
            }
        }
        lines.push_back(TLineSpan{start, end - start});
        if (!hasBreakBefore)
            break;
        end = start - 2;
    }
    std::reverse(lines.begin(), lines.end());
    return lines;
}

bool IsPlainLine(const std::string& text, const TLineSpan& line) {
    if (line.Start > text.size() || line.Length > text.size() - line.Start)
        return false;
    const auto first = text.begin() + static_cast<std::ptrdiff_t>(line.Start);
    return std::all_of(first, first + static_cast<std::ptrdiff_t>(line.Length),
                       [](char c) { return c >= 0x20 && c <= 0x7E; });
}
