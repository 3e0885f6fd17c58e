#include "pane/PaneBuffer.h"

#include <algorithm>

#include "common/ScopeGuard.h"
#include "common/ViewerError.h"
#include "pane/CapacityRule.h"

namespace {
const char* const LineBreak = "\r\n";
} // namespace

void TPaneBuffer::TakeControlTextIfChanged() const {
    if (!FControlChanged)
        return;
    FText = FControl.Text();
    FControlLength = FText.size();
    FCut = FHeadLength = FTailLength = 0;
    FWholeTextPending = false;
    FSelStart = std::min(FSelStart, FText.size());
    FSelLength = 0;
    FSelectionPending = false;
    FControlChanged = false;
}

const std::string& TPaneBuffer::Text() const {
    TakeControlTextIfChanged();
    return FText;
}

bool TPaneBuffer::EndsWithLineBreak() const {
    const std::string& text = Text();
    return text.size() >= 2 && text[text.size() - 2] == '\r' && text.back() == '\n';
}

void TPaneBuffer::Select(std::size_t start, std::size_t length) {
    TakeControlTextIfChanged();
    FSelStart = std::min(start, FText.size());
    FSelLength = std::min(length, FText.size() - FSelStart);
    FSelectionPending = true;
}

// The cut and the limitation line are one change of the head; the line is
// written straight into the text, and the control later takes it from there.
void TPaneBuffer::Print(std::string_view prefix, std::string_view text) {
    TakeControlTextIfChanged();
    const std::size_t removed = CharactersToTrim(FText.size(), prefix.size() + text.size());
    if (removed > 0)
        Replace(0, removed, LimitationLine(removed) + LineBreak);
    Append(prefix, text);
    FSelStart = FText.size();
    FSelLength = 0;
    FSelectionPending = false;
}

// A last line without its break (typed by the user, or loaded so) gets the
// break in front of the text instead, and the pane again ends without one.
void TPaneBuffer::Append(std::string_view prefix, std::string_view text) {
    const bool lastLineOpen = !FText.empty() && !EndsWithLineBreak();
    const std::size_t before = FText.size();
    if (lastLineOpen)
        FText += LineBreak;
    FText.append(prefix);
    FText.append(text);
    if (!lastLineOpen)
        FText += LineBreak;
    // Whatever the model held, text added at its end is text the control lacks.
    FTailLength += FText.size() - before;
}

// Keeps the model as head + control[FCut..] + tail. Changes that fit none
// of these shapes are rare (the capacity rule never makes them) and make the
// whole text the head.
void TPaneBuffer::Replace(std::size_t start, std::size_t length, const std::string& text) {
    const std::size_t middleEnd = FText.size() - FTailLength;
    const std::size_t end = start + length;
    FText.replace(start, length, text);
    if (start >= middleEnd && start >= FHeadLength) {
        FTailLength += text.size() - length;
    } else if (end <= FHeadLength) {
        FHeadLength += text.size() - length;
    } else if (start <= FHeadLength && end <= middleEnd) {
        FCut += end - FHeadLength;
        FHeadLength = start + text.size();
    } else {
        ReplaceAll(FText);
    }
}

void TPaneBuffer::ReplaceAll(const std::string& text) {
    FText = text;
    FCut = FControlLength;
    FHeadLength = FText.size();
    FTailLength = 0;
}

bool TPaneBuffer::SetText(const std::string& text) {
    TakeControlTextIfChanged();
    if (FAwaitingControl) {
        ReplaceAll(text);
        FWholeTextPending = true;
        // The control puts its caret at the start of a text set whole.
        FSelStart = FSelLength = 0;
        FSelectionPending = true;
        return true;
    }
    {
        const TFlagScope scope(FSyncing);
        if (!FControl.SetText(text))
            return false;
    }
    FText = text;
    FControlLength = FText.size();
    FCut = FHeadLength = FTailLength = 0;
    FWholeTextPending = false;
    FSelStart = FSelLength = 0;
    FSelectionPending = false;
    return true;
}

// The control will be made empty: the whole model is what it lacks.
void TPaneBuffer::AwaitControl() {
    FAwaitingControl = true;
    FControlChanged = false;
    FControlLength = 0;
    ReplaceAll(FText);
}

void TPaneBuffer::Sync() {
    TakeControlTextIfChanged();
    if (FAwaitingControl || !HasPendingChanges())
        return;
    const TFlagScope scope(FSyncing);
    if (FWholeTextPending) {
        FWholeTextPending = false;
        if (!FControl.SetText(FText.substr(0, FHeadLength))) {
            // The control refuses a text only short of memory; should it
            // happen all the same, the control's text is the pane's from
            // now on.
            FControlChanged = true;
            throw TViewerError("Text exceeds memo capacity");
        }
    } else if (FCut != 0 || FHeadLength != 0) {
        FControl.Select(0, FCut);
        FControl.ReplaceSelection(FText.substr(0, FHeadLength).c_str());
    }
    // The tail ends the text: the control takes it from there, uncopied.
    if (FTailLength != 0) {
        const std::size_t tailStart = FText.size() - FTailLength;
        FControl.Select(tailStart, 0);
        FControl.ReplaceSelection(FText.c_str() + tailStart);
    }
    FControlLength = FText.size();
    FCut = FHeadLength = FTailLength = 0;
    // After an append the caret follows the new text; a selection made
    // since (Select All) is shown as made.
    if (FSelectionPending)
        FControl.Select(FSelStart, FSelLength);
    FSelectionPending = false;
}

void TPaneBuffer::CutToClipboard() {
    Sync();
    FControl.CutToClipboard();
    FControlChanged = true;
}

void TPaneBuffer::CopyToClipboard() {
    Sync();
    FControl.CopyToClipboard();
}

void TPaneBuffer::PasteFromClipboard() {
    Sync();
    FControl.PasteFromClipboard();
    FControlChanged = true;
}
