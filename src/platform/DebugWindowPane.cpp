// The pane's side of the main window: bringing the edit control in step with
// the pane's text, and everything that reaches the control.
#include "platform/DebugWindow.h"

#include <commctrl.h>

namespace {
const UINT_PTR SyncTimerId = 1;
const UINT_PTR ScrollBarTimerId = 2;
// The longest the pane may lag behind a flood of prints.
const DWORD SyncInterval = 100;
// How often a flood has the pane's scroll bars drawn.
const DWORD ScrollBarInterval = 500;

bool ChangesText(UINT message) {
    switch (message) {
    case WM_SETTEXT:
    case EM_REPLACESEL:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        return true;
    default:
        return false;
    }
}
} // namespace

void TfrmDebugWindow::SyncPane() {
    if (FSyncTimerArmed) {
        ::KillTimer(FWindow, SyncTimerId);
        FSyncTimerArmed = false;
    }
    if (FBuffer.HasPendingChanges() && !FSyncingPane) {
        // The control's own notices during the batch must not start another.
        FSyncingPane = true;
        FPane.BeginBatch();
        FBuffer.Sync();
        const DWORD now = ::GetTickCount();
        const bool scrollBarsDue = !FScrollBarsWaiting && now - FLastScrollBarDraw >= ScrollBarInterval;
        if (FPane.EndBatch(scrollBarsDue) && !FScrollBarsWaiting) {
            const DWORD sinceDrawn = now - FLastScrollBarDraw;
            FScrollBarsWaiting =
                ::SetTimer(FWindow, ScrollBarTimerId, ScrollBarInterval - sinceDrawn, nullptr) != 0;
            if (!FScrollBarsWaiting)
                FPane.RedrawScrollBars();
        } else if (scrollBarsDue) {
            FLastScrollBarDraw = now;
        }
        FSyncingPane = false;
    }
    FLastSync = ::GetTickCount();
}

void TfrmDebugWindow::ScrollBarTimer() {
    ::KillTimer(FWindow, ScrollBarTimerId);
    FScrollBarsWaiting = false;
    FLastScrollBarDraw = ::GetTickCount();
    FPane.RedrawScrollBars();
}

void TfrmDebugWindow::ScheduleSync() {
    if (!FBuffer.HasPendingChanges() || FSyncTimerArmed)
        return;
    const DWORD sinceLastSync = ::GetTickCount() - FLastSync;
    if (sinceLastSync >= SyncInterval) {
        SyncPane();
        return;
    }
    // The timer also fires inside the modal loops of dialogs and message
    // boxes, so the pane follows a flood while they are open.
    FSyncTimerArmed = ::SetTimer(FWindow, SyncTimerId, SyncInterval - sinceLastSync, nullptr) != 0;
    if (!FSyncTimerArmed)
        SyncPane();
}

void TfrmDebugWindow::SyncTimer() {
    SyncPane();
}

void TfrmDebugWindow::Timer(UINT_PTR id) {
    if (id == SyncTimerId)
        SyncTimer();
    else if (id == ScrollBarTimerId)
        ScrollBarTimer();
}

LRESULT CALLBACK TfrmDebugWindow::PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<TfrmDebugWindow*>(data);
    // Whatever reaches the control (the user's input, painting, another
    // program reading the text) must find it in step with the pane.
    if (!self->FSyncingPane && !self->FBuffer.Syncing() && self->FBuffer.HasPendingChanges())
        self->Guarded([self] { self->SyncPane(); });
    if (message == WM_CONTEXTMENU) {
        ::SendMessageA(self->FWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pane), lParam);
        return 0;
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(pane, &TfrmDebugWindow::PaneProc, 1);
    const bool ownEdit = self->FSyncingPane || self->FBuffer.Syncing();
    const LRESULT result = ::DefSubclassProc(pane, message, wParam, lParam);
    // Text set from outside the viewer gives no change notice in a
    // multi-line control; it is the pane's text from now on all the same.
    if (!ownEdit && ChangesText(message))
        self->FBuffer.ControlChanged();
    return result;
}
