#include "pane/PaneBuffer.h"

#include <algorithm>

#include "common/ScopeGuard.h"
#include "common/ViewerError.h"

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

std::size_t TPaneBuffer::TextLength() const {
    TakeControlTextIfChanged();
    return FText.size();
}

std::string TPaneBuffer::Text() const {
    TakeControlTextIfChanged();
    return FText;
}

bool TPaneBuffer::EndsWithLineBreak() const {
    TakeControlTextIfChanged();
    return FText.size() >= 2 && FText[FText.size() - 2] == '\r' && FText.back() == '\n';
}

void TPaneBuffer::Select(std::size_t start, std::size_t length) {
    TakeControlTextIfChanged();
    FSelStart = std::min(start, FText.size());
    FSelLength = std::min(length, FText.size() - FSelStart);
    FSelectionPending = true;
}

std::size_t TPaneBuffer::SelectionLength() const {
    return FControl.SelectionLength();
}

void TPaneBuffer::ReplaceSelection(const std::string& text) {
    TakeControlTextIfChanged();
    Replace(FSelStart, FSelLength, text);
    FSelStart += text.size();
    FSelLength = 0;
    FSelectionPending = false;
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
        FControl.ReplaceSelection(FText.substr(0, FHeadLength));
    }
    if (FTailLength != 0) {
        const std::size_t tailStart = FText.size() - FTailLength;
        FControl.Select(tailStart, 0);
        FControl.ReplaceSelection(FText.substr(tailStart));
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
