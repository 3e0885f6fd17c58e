#include "pane/PaneLines.h"

#include "pane/PaneControl.h"

namespace {
const char* const LineBreak = "\r\n";

bool EndsWithLineBreak(const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, LineBreak) == 0;
}
} // namespace

void AppendLine(IPaneControl& pane, const std::string& text) {
    const std::string current = pane.Text();
    const bool lastLineOpen = !current.empty() && !EndsWithLineBreak(current);
    pane.Select(current.size(), 0);
    pane.ReplaceSelection(lastLineOpen ? LineBreak + text : text + LineBreak);
}

void InsertLineAtTop(IPaneControl& pane, const std::string& text) {
    pane.Select(0, 0);
    pane.ReplaceSelection(text + LineBreak);
}
