#pragma once

#include <cstddef>
#include <string>

// The text control that shows the pane. Positions and lengths count
// characters of the pane text, each CR and LF included.
class IPaneControl {
  public:
    virtual ~IPaneControl() = default;

    virtual std::size_t TextLength() const = 0;
    virtual std::string Text() const = 0;
    virtual bool EndsWithLineBreak() const {
        const std::string text = Text();
        return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
    }
    virtual void Select(std::size_t start, std::size_t length) = 0;
    virtual std::size_t SelectionLength() const = 0;
    // Replaces the selection; the caret then stands just after the new
    // characters and the control scrolls it into view.
    virtual void ReplaceSelection(const std::string& text) = 0;
    // Replaces the whole text; false when the control refuses it.
    virtual bool SetText(const std::string& text) = 0;

    virtual void CutToClipboard() = 0;
    virtual void CopyToClipboard() = 0;
    // Replaces the selection with the clipboard's text.
    virtual void PasteFromClipboard() = 0;
};
