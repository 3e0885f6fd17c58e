#include "pane/PaneLines.h"

#include "pane/PaneControl.h"

namespace {
const char* const LineBreak = "\r\n";
} // namespace

void AppendLine(IPaneControl& pane, const std::string& text) {
    const std::size_t length = pane.TextLength();
    const bool lastLineOpen = length != 0 && !pane.EndsWithLineBreak();
    pane.Select(length, 0);
    pane.ReplaceSelection(lastLineOpen ? LineBreak + text : text + LineBreak);
}

void InsertLineAtTop(IPaneControl& pane, const std::string& text) {
    pane.Select(0, 0);
    pane.ReplaceSelection(text + LineBreak);
}
