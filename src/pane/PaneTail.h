#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The end of the pane's text as a multi-line edit control scrolled to its
// end shows it. Lines end at CR LF; whatever follows the last CR LF (empty
// when the text ends with one) is a line of its own, where the caret stands.
struct TLineSpan {
    std::size_t Start = 0;
    std::size_t Length = 0;
};

// The last count lines of text (fewer when it has fewer), the last one last.
std::vector<TLineSpan> LastLines(const std::string& text, std::size_t count);

// Printable ASCII only: no tab, no lone CR or LF, nothing that a control
// might draw with other glyphs, widths or fallback fonts than plain text
// drawing does.
bool IsPlainLine(const std::string& text, const TLineSpan& line);
