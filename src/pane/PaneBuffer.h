#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pane/PaneControl.h"

// The pane's text: the one place it is held, where the capacity rule is
// applied, with the screen's edit control following it in batches.
//
// Putting each client line into an edit control costs milliseconds of
// screen work, far more than the channel itself; a client printing flat out
// would be held up by it. So operations change only the text here, and Sync
// brings the control in step with at most two edit operations: one
// replacing what was cut from the top (with the limitation line), one
// appending everything printed since the last Sync, straight from the text.
//
// The user may edit the control directly; ControlChanged marks that, and
// the control's text is taken back before the next operation. The owner
// calls Sync before anything else looks at or changes the control, so user
// edits never meet unsynced changes.
class TPaneBuffer {
  public:
    explicit TPaneBuffer(IPaneControl& control) : FControl(control) {}
    TPaneBuffer(const TPaneBuffer&) = delete;
    TPaneBuffer& operator=(const TPaneBuffer&) = delete;

    // The pane's text, valid until the pane next changes.
    const std::string& Text() const;
    std::size_t TextLength() const { return Text().size(); }
    bool EndsWithLineBreak() const;
    // Appends prefix and text as the new last line, after cutting old text
    // from the top where the capacity rule says so. The caret then follows
    // the new line.
    void Print(std::string_view prefix, std::string_view text);
    void Select(std::size_t start, std::size_t length);
    // The user's selection, which lives in the control.
    std::size_t SelectionLength() const { return FControl.SelectionLength(); }
    // Replaces the control's text at once, so that a refusal is known;
    // while the control is yet to be made, see AwaitControl.
    bool SetText(const std::string& text);
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();

    // A selection made in the model that the control has yet to show.
    bool SelectionPending() const { return FSelectionPending; }
    bool HasPendingChanges() const {
        return FHeadLength != 0 || FCut != 0 || FTailLength != 0 || FSelectionPending;
    }
    void Sync();
    // The control's text changed by other means than Sync: the user's editing.
    void ControlChanged() {
        if (!FSyncing)
            FControlChanged = true;
    }
    bool Syncing() const { return FSyncing; }
    // Until the control is made, the pane lives in the model alone: text
    // sets of any size wait for the first Sync after ControlMade, and Sync
    // does nothing. Making and filling the control costs Wine a good part of
    // the start-up, which loads the log and answers its first clients first.
    void AwaitControl();
    void ControlMade() { FAwaitingControl = false; }
    bool AwaitingControl() const { return FAwaitingControl; }

  private:
    void TakeControlTextIfChanged() const;
    void Replace(std::size_t start, std::size_t length, const std::string& text);
    void ReplaceAll(const std::string& text);
    void Append(std::string_view prefix, std::string_view text);

    IPaneControl& FControl;
    // The model, and how it differs from the control's text: the control's
    // first FCut characters are replaced by the model's first FHeadLength,
    // and the model's last FTailLength characters are not in the control yet.
    mutable std::string FText;
    mutable std::size_t FControlLength = 0;
    mutable std::size_t FCut = 0;
    mutable std::size_t FHeadLength = 0;
    mutable std::size_t FTailLength = 0;
    mutable std::size_t FSelStart = 0;
    mutable std::size_t FSelLength = 0;
    // A selection made in the model that the control is to show.
    mutable bool FSelectionPending = false;
    // The control's whole text is to be set anew, which also puts its view
    // back at the top.
    mutable bool FWholeTextPending = false;
    bool FAwaitingControl = false;
    mutable bool FControlChanged = true;
    bool FSyncing = false;
};
