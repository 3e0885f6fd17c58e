// The user's commands reaching the main window: toolbar controls, menu items,
// shortcuts, and the popup menu itself.
#include "platform/DebugWindow.h"

#include "platform/Commands.h"

// A command comes from its toolbar control, its menu item or its shortcut;
// all three carry the command's id.
void TfrmDebugWindow::Command(WORD id, WORD notification, HWND control) {
    if (FPane.IsPaneNotice(id, control)) {
        FPane.Notice(notification);
        return;
    }
    const TCommand* command = FindCommand(id);
    if (!command)
        return;
    // Every command of the user sees, and works on, the pane as it stands.
    FPane.Sync();
    const TToolbarControl& toolbar = command->Toolbar;
    if (!control) {
        (FForm.get()->*command->Handler)();
        return;
    }
    if (toolbar.Kind == TControlKind::CheckBox && notification == BN_CLICKED)
        FForm->CheckBoxClicked(toolbar.Box, FToolbar.IsChecked(toolbar.Box));
    else if (toolbar.Kind == TControlKind::ImageButton)
        (FForm.get()->*command->Handler)();
}

void TfrmDebugWindow::ToolbarAccelerator(WORD id) {
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
    FPane.Sync();
    FPopupMenu.Apply(FForm->PopupMenu1Popup());
    FPopupMenu.Show(FWindow, at);
}

void TfrmDebugWindow::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType == ODT_BUTTON)
        FToolbar.DrawImageButton(item);
}
