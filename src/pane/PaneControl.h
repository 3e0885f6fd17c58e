#pragma once

#include <cstddef>
#include <string>

// The text control that shows the pane: the screen's edit control. Positions and lengths count
// characters of the pane text, each CR and LF included.
class IPaneControl {
  public:
    virtual ~IPaneControl() = default;

    virtual std::size_t TextLength() const = 0;
    virtual std::string Text() const = 0;
    virtual void Select(std::size_t start, std::size_t length) = 0;
    virtual std::size_t SelectionLength() const = 0;
    // Replaces the selection with the text up to its zero byte; the caret
    // then stands just after the new characters and the control scrolls it
    // into view.
    virtual void ReplaceSelection(const char* text) = 0;
    // Replaces the whole text; false when the control refuses it.
    virtual bool SetText(const std::string& text) = 0;

    virtual void CutToClipboard() = 0;
    virtual void CopyToClipboard() = 0;
    // Replaces the selection with the clipboard's text.
    virtual void PasteFromClipboard() = 0;
};
