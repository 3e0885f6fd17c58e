// The user's commands: toolbar buttons, check boxes and popup menu items.
#include "shell/DebugForm.h"

#include "dravik/protocol.h"

#include "pane/PaneBuffer.h"
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/history/HistoryNames.h"
#include "shell/historyview/HistoryViewer.h"

void TfrmDebug::SetChecked(TCheckBoxId box, bool checked) {
    if (FChecked[Index(box)] == checked)
        return;
    FChecked[Index(box)] = checked;
    FServices.Switches.ShowCheckBox(box, checked);
    switch (box) {
    case TCheckBoxId::cbFloat:
        cbFloatClick();
        break;
    case TCheckBoxId::cbToolbar:
        cbToolbarClick();
        break;
    case TCheckBoxId::cbDebugOutput:
        cbDebugOutputClick();
        break;
    case TCheckBoxId::cbLogConnect:
        cbLogConnectClick();
        break;
    }
}

// The file dialogs must not be hidden behind a window that stays on top.
// The switch comes back afterwards, also when the operation failed: a
// failed Export must not leave it changed.
template <typename TOperation> void TfrmDebug::WithStayOnTopSuspended(TOperation&& operation) {
    const bool wasOnTop = Checked(TCheckBoxId::cbFloat);
    if (wasOnTop)
        SetChecked(TCheckBoxId::cbFloat, false);
    try {
        operation();
    } catch (...) {
        if (wasOnTop)
            SetChecked(TCheckBoxId::cbFloat, true);
        throw;
    }
    if (wasOnTop)
        SetChecked(TCheckBoxId::cbFloat, true);
}

void TfrmDebug::pbClearClick() {
    DoClear();
}

void TfrmDebug::pbOpenClick() {
    WithStayOnTopSuspended([this] {
        std::string fileName = FLastOpenName;
        if (!FServices.Dialogs.ChooseFileToOpen(fileName))
            return;
        FLastOpenName = fileName;
        DoLoadFromFile(fileName);
    });
}

void TfrmDebug::pbSaveClick() {
    WithStayOnTopSuspended([this] {
        std::string fileName = FLastSaveName;
        if (!FServices.Dialogs.ChooseFileToSave(fileName))
            return;
        FLastSaveName = fileName;
        DoSaveToFile(fileName);
    });
}

void TfrmDebug::pbMarkClick() {
    DoMark();
}

void TfrmDebug::pbInfoClick() {
    FServices.Dialogs.ShowAbout();
}

void TfrmDebug::cbFloatClick() {
    FServices.Switches.SetTopmost(Checked(TCheckBoxId::cbFloat));
}

void TfrmDebug::cbToolbarClick() {
    FServices.Switches.SetToolbarVisible(Checked(TCheckBoxId::cbToolbar));
}

void TfrmDebug::cbDebugOutputClick() {
    FMenuDebugOutputChecked = Checked(TCheckBoxId::cbDebugOutput);
}

void TfrmDebug::cbLogConnectClick() {
    WriteLogConnect();
}

void TfrmDebug::mnuFloatClick() {
    SetChecked(TCheckBoxId::cbFloat, !Checked(TCheckBoxId::cbFloat));
    cbFloatClick();
}

void TfrmDebug::mnuToolbarClick() {
    const bool shown = !FServices.Switches.IsToolbarVisible();
    FServices.Switches.SetToolbarVisible(shown);
    SetChecked(TCheckBoxId::cbToolbar, shown);
}

void TfrmDebug::mnuDebugOutputClick() {
    FMenuDebugOutputChecked = !FMenuDebugOutputChecked;
    SetChecked(TCheckBoxId::cbDebugOutput, FMenuDebugOutputChecked);
}

void TfrmDebug::mnuLogConnectClick() {
    SetLogConnect(!LogConnect());
    WriteLogConnect();
}

void TfrmDebug::mnuCaptureClick() {
    const std::string refusal = FCapture.Toggle(DebugOutput());
    if (!refusal.empty())
        ShowException(refusal);
}

void TfrmDebug::mnuCutClick() {
    FServices.Pane.CutToClipboard();
}

void TfrmDebug::mnuCopyClick() {
    FServices.Pane.CopyToClipboard();
}

void TfrmDebug::mnuPasteClick() {
    FServices.Pane.PasteFromClipboard();
}

void TfrmDebug::mnuSelectAllClick() {
    FServices.Pane.Select(0, FServices.Pane.TextLength());
}

void TfrmDebug::mnuHistoryClick() {
    FServices.HistoryViewer.ShowHistory(HistoryFolderFor(FLogFile));
}

TPopupMenuState TfrmDebug::PopupMenu1Popup() {
    FMenuDebugOutputChecked = Checked(TCheckBoxId::cbDebugOutput);

    TPopupMenuState state;
    state.mnuFloatChecked = Checked(TCheckBoxId::cbFloat);
    state.mnuToolbarChecked = FServices.Switches.IsToolbarVisible();
    state.mnuDebugOutputChecked = FMenuDebugOutputChecked;
    state.mnuLogConnectChecked = Checked(TCheckBoxId::cbLogConnect);
    state.mnuCaptureChecked = FCapture.On();
    const bool hasSelection = FServices.Pane.SelectionLength() >= 1;
    state.mnuCutEnabled = hasSelection;
    state.mnuCopyEnabled = hasSelection;
    state.mnuPasteEnabled = FServices.Dialogs.ClipboardHasText();
    return state;
}
