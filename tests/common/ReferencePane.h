#pragma once

// The pane as the viewer's rules make it, written out as plainly as possible and apart from the viewer's own
// code: the oracle that the pane fuzzer, the unit tests and the end-to-end floods compare the viewer with.
// Standard C++ only, so that the native and the Windows builds share it.
#include <cstddef>
#include <string>

inline const std::string ReferenceLimitationPrefix = "***** System Limitations: Lines hat to be removed: ";

// The line that takes the place of the characters the capacity rule removed, with its line break.
inline std::string ReferenceLimitationLine(std::size_t removed) {
    return ReferenceLimitationPrefix + std::to_string(removed) + "\r\n";
}

// The pane less its first `removed` characters, with the limitation line in their place; the pane unchanged
// when nothing was removed.
inline std::string ReferenceTrimmed(const std::string& pane, std::size_t removed) {
    return removed == 0 ? pane : ReferenceLimitationLine(removed) + pane.substr(removed);
}

// How a text file's bytes become pane text: cut at the first zero, make every kind of line break a LF, then
// write each LF as CR LF.
inline std::string ReferencePaneText(const std::string& fileBytes) {
    auto replaceAll = [](std::string text, const std::string& from, const std::string& to) {
        for (std::string::size_type at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    };
    const std::string text = fileBytes.substr(0, fileBytes.find('\0'));
    return replaceAll(replaceAll(replaceAll(text, "\r\n", "\n"), "\r", "\n"), "\n", "\r\n");
}

class TReferencePane {
  public:
    // The capacity rule, then the append rule: once the pane and the message reach 29949 characters,
    // n = L - m - 25051 characters go from the top (none when n < 1) and a line saying so takes their place;
    // the message then ends with a line break, or starts with one when the last line is still open.
    void Print(const std::string& message) {
        const long long paneLength = static_cast<long long>(Text.size());
        const long long messageLength = static_cast<long long>(message.size());
        if (paneLength + messageLength >= 29949) {
            const long long n = paneLength - messageLength - 25051;
            if (n >= 1)
                Text = ReferenceTrimmed(Text, static_cast<std::size_t>(n));
        }
        const bool endsWithBreak = Text.size() >= 2 && Text.compare(Text.size() - 2, 2, "\r\n") == 0;
        if (Text.empty() || endsWithBreak)
            Text += message + "\r\n";
        else
            Text += "\r\n" + message;
    }
    // A file loaded into the pane, or the pane saved and loaded again.
    void Load(const std::string& fileBytes) { Text = ReferencePaneText(fileBytes); }
    // A selection as the control keeps it: within the text.
    void Select(std::size_t start, std::size_t length) {
        SelStart = start < Text.size() ? start : Text.size();
        SelLength = length < Text.size() - SelStart ? length : Text.size() - SelStart;
    }
    void ReplaceSelection(const std::string& text) {
        Text = Text.substr(0, SelStart) + text + Text.substr(SelStart + SelLength);
    }
    void Cut() {
        // Cutting nothing leaves the clipboard as it was.
        if (SelLength > 0)
            Clipboard = Text.substr(SelStart, SelLength);
        ReplaceSelection("");
    }

    std::string Text;
    std::string Clipboard;
    std::size_t SelStart = 0;
    std::size_t SelLength = 0;
};

// The capacity rule at its edges, with the count of characters it removes worked out by hand (0: nothing, and
// no limitation line). Every message fits the shared region, so that the end-to-end tests can send them.
struct TCapacityCase {
    std::size_t paneLength;
    std::size_t messageLength;
    std::size_t removed;
    const char* what;
};
inline const TCapacityCase ReferenceCapacityCases[] = {
    {28000, 1948, 0, "L + m = 29948: below the budget"},
    {29000, 100, 0, "L = 29000, m = 100: below the budget too"},
    {28000, 1949, 1000, "L + m = 29949: the trigger"},
    {29900, 100, 4749, "L = 29900, m = 100"},
    {28000, 2949, 0, "n = 0: nothing to remove, the pane grows past 30000"},
    {28000, 3000, 0, "n < 0: nothing removed rather than the whole pane"},
    {29949, 0, 4898, "an empty message on a full pane"},
    {31000, 10, 5939, "a pane loaded above the budget"},
    {100000, 10, 74939, "a log far beyond the edit control's default limit"},
};
