// The user's commands reaching the main window: toolbar controls, menu items,
// shortcuts, and the popup menu itself.
#include "platform/DebugWindow.h"

void TfrmDebugWindow::Command(WORD id, WORD notification, HWND control) {
    TfrmDebug& form = *FForm;
    if (id == PaneId && control == FPane.Handle()) {
        if (notification == EN_CHANGE)
            FBuffer.ControlChanged();
        return;
    }
    // Every command of the user sees, and works on, the pane as it stands.
    SyncPane();
    // An accelerator arrives without a control; for a toolbar control it
    // stands for a click on that control.
    if (!control && id >= pbClear && id <= cbLogConnect) {
        ToolbarAccelerator(static_cast<TCommandId>(id));
        return;
    }
    switch (id) {
    case pbClear:
    case mnuClear:
        form.pbClearClick();
        break;
    case pbOpen:
    case mnuImport:
        form.pbOpenClick();
        break;
    case pbSave:
    case mnuExport:
        form.pbSaveClick();
        break;
    case pbMark:
    case mnuMark:
        form.pbMarkClick();
        break;
    case pbInfo:
    case mnuInfo:
        form.pbInfoClick();
        break;
    case cbFloat:
    case cbToolbar:
    case cbDebugOutput:
    case cbLogConnect:
        if (notification == BN_CLICKED) {
            const TCheckBoxId box = CheckBoxOf(static_cast<TCommandId>(id));
            form.CheckBoxClicked(box, FToolbar.IsChecked(box));
        }
        break;
    case mnuFloat:
        form.mnuFloatClick();
        break;
    case mnuToolbar:
        form.mnuToolbarClick();
        break;
    case mnuDebugOutput:
        form.mnuDebugOutputClick();
        break;
    case mnuLogConnect:
        form.mnuLogConnectClick();
        break;
    case mnuCut:
        form.mnuCutClick();
        break;
    case mnuCopy:
        form.mnuCopyClick();
        break;
    case mnuPaste:
        form.mnuPasteClick();
        break;
    case mnuSelectAll:
        form.mnuSelectAllClick();
        break;
    default:
        break;
    }
}

void TfrmDebugWindow::ToolbarAccelerator(TCommandId id) {
    const HWND control = ::GetDlgItem(FToolbar.Handle(), id);
    if (control && ::IsWindowEnabled(control))
        ::SendMessageA(control, BM_CLICK, 0, 0);
}

void TfrmDebugWindow::ContextMenu(HWND source, LPARAM position) {
    if (source != FPane.Handle())
        return;
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == -1) { // from the keyboard: open it at the pane's corner
        at = POINT{Scaled(8), Scaled(8)};
        ::ClientToScreen(FPane.Handle(), &at);
    }
    SyncPane();
    FPopupMenu.Apply(FForm->PopupMenu1Popup());
    FPopupMenu.Show(FWindow, at);
}

void TfrmDebugWindow::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType == ODT_BUTTON)
        FToolbar.DrawImageButton(item);
}
