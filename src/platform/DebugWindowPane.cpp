// The pane's side of the main window: showing the pane's text while prints
// flood in, bringing the edit control in step with it, and everything that
// reaches the control.
#include "platform/DebugWindow.h"

#include "platform/PanePainter.h"

namespace {
const UINT_PTR RefreshTimerId = 1;
const UINT_PTR ScrollBarTimerId = 2;
// The longest the pane's picture may lag behind a flood of prints.
const DWORD RefreshInterval = 100;
// The longest the control itself may lag behind while the picture follows.
// Bringing it in step holds a flood up for 50 to 90 ms each time; until
// then only its scroll bars, which hardly move while a flood keeps the pane
// full, show the older text.
const DWORD LongestControlLag = 5000;
// How often a flood has the pane's scroll bars drawn.
const DWORD ScrollBarInterval = 500;
// The system's caret blink timer, which user32 sends to the caret's window.
const UINT WM_SYSTIMER = 0x0118;

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

// Messages that neither read nor change the control's text or selection:
// they need not wait for the control to be brought in step.
bool LeavesTextAlone(HWND pane, UINT message) {
    switch (message) {
    case WM_NCPAINT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
    case WM_SYSTIMER:
        return true;
    case WM_MOUSEMOVE:
        // Only a drag that the control captured selects text.
        return ::GetCapture() != pane;
    default:
        return false;
    }
}
} // namespace

void TfrmDebugWindow::SyncPane() {
    if (FBuffer.AwaitingControl())
        return;
    if (FRefreshTimerArmed) {
        ::KillTimer(FWindow, RefreshTimerId);
        FRefreshTimerArmed = false;
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
    FPaneAhead = false;
    if (FCaretHidden) {
        ::ShowCaret(FPane.Handle());
        FCaretHidden = false;
    }
    FLastRefresh = ::GetTickCount();
}

void TfrmDebugWindow::ScrollBarTimer() {
    ::KillTimer(FWindow, ScrollBarTimerId);
    FScrollBarsWaiting = false;
    FLastScrollBarDraw = ::GetTickCount();
    FPane.RedrawScrollBars();
}

void TfrmDebugWindow::ScheduleRefresh() {
    if (!FBuffer.HasPendingChanges() || FRefreshTimerArmed || FBuffer.AwaitingControl())
        return;
    const DWORD sinceLastRefresh = ::GetTickCount() - FLastRefresh;
    if (sinceLastRefresh >= RefreshInterval) {
        RefreshPane();
        return;
    }
    // The timer also fires inside the modal loops of dialogs and message
    // boxes, so the pane follows a flood while they are open.
    FRefreshTimerArmed =
        ::SetTimer(FWindow, RefreshTimerId, RefreshInterval - sinceLastRefresh, nullptr) != 0;
    if (!FRefreshTimerArmed)
        SyncPane();
}

void TfrmDebugWindow::RefreshPane() {
    if (!FBuffer.HasPendingChanges()) {
        SyncPane();
        return;
    }
    MarkPaneAhead();
    const DWORD now = ::GetTickCount();
    // A quiet moment, or a long flood: the control catches up.
    if (!FPrintedSinceRefresh || now - FAheadSince >= LongestControlLag || FBuffer.SelectionPending()) {
        SyncPane();
        return;
    }
    FPrintedSinceRefresh = false;
    FLastRefresh = now;
    // The pane's WM_PAINT draws the text, or brings the control in step
    // where it cannot.
    ::InvalidateRect(FPane.Handle(), nullptr, FALSE);
    ::UpdateWindow(FPane.Handle());
    // Ticks on while the control is behind (the painting may have brought it
    // in step instead), to notice when the prints stop.
    if (!FPaneAhead)
        return;
    FRefreshTimerArmed = ::SetTimer(FWindow, RefreshTimerId, RefreshInterval, nullptr) != 0;
    if (!FRefreshTimerArmed)
        SyncPane();
}

// The control's lag is counted from the first picture ahead of it.
void TfrmDebugWindow::MarkPaneAhead() {
    if (!FPaneAhead) {
        FPaneAhead = true;
        FAheadSince = ::GetTickCount();
    }
}

void TfrmDebugWindow::RefreshTimer() {
    ::KillTimer(FWindow, RefreshTimerId);
    FRefreshTimerArmed = false;
    RefreshPane();
}

bool TfrmDebugWindow::PaintPaneAhead() {
    if (FBuffer.SelectionPending())
        return false;
    const HWND pane = FPane.Handle();
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(pane, &paint);
    if (!dc)
        return false;
    // The control's caret would stand where its own text ends.
    if (!FCaretHidden && ::GetFocus() == pane)
        FCaretHidden = ::HideCaret(pane) != FALSE;
    FPaintingPane = true;
    const bool painted = TPanePainter(pane, static_cast<HFONT>(FPaneFont.Get())).Paint(dc, FBuffer.Text());
    FPaintingPane = false;
    ::EndPaint(pane, &paint);
    if (painted)
        MarkPaneAhead();
    return painted;
}

void TfrmDebugWindow::Timer(UINT_PTR id) {
    if (id == RefreshTimerId)
        RefreshTimer();
    else if (id == ScrollBarTimerId)
        ScrollBarTimer();
}

LRESULT CALLBACK TfrmDebugWindow::PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TfrmDebugWindow*>(::GetWindowLongPtrA(pane, GWLP_USERDATA));
    const bool ownEdit = self->FSyncingPane || self->FBuffer.Syncing() || self->FPaintingPane;
    // While the start-up is still making the window, only its own layout
    // reaches the control.
    if (!ownEdit && !self->FBuffer.AwaitingControl() && self->FBuffer.HasPendingChanges()) {
        // Painting shows the pane's text without the control; whatever else
        // reaches the control (the user's input, another program reading the
        // text) must find it in step with the pane.
        if (message == WM_ERASEBKGND)
            return TRUE;
        if (message == WM_PAINT) {
            // Where the text cannot be drawn so, the control is brought in
            // step, which draws it anew.
            if (self->Guarded([self] {
                    if (!self->PaintPaneAhead())
                        self->SyncPane();
                }))
                return 0;
            ::InvalidateRect(pane, nullptr, TRUE);
        } else if (!LeavesTextAlone(pane, message)) {
            self->Guarded([self] { self->SyncPane(); });
        }
    }
    if (message == WM_CONTEXTMENU) {
        ::SendMessageA(self->FWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pane), lParam);
        return 0;
    }
    const LRESULT result = ::CallWindowProcA(self->FPaneControlProc, pane, message, wParam, lParam);
    // Text set from outside the viewer gives no change notice in a
    // multi-line control; it is the pane's text from now on all the same.
    if (!ownEdit && ChangesText(message))
        self->FBuffer.ControlChanged();
    return result;
}
