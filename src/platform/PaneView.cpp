#include "platform/PaneView.h"

#include "common/ScopeGuard.h"
#include "platform/PaneFont.h"
#include "platform/PanePainter.h"
#include "platform/Win32Paint.h"

namespace {
// The pane's own timers, set on the control: ids the edit control does not use.
const UINT_PTR RefreshTimerId = 0xD701;
const UINT_PTR ScrollBarTimerId = 0xD702;
// The system's caret blink timer, which user32 sends to the caret's window.
const UINT WM_SYSTIMER = 0x0118;

UINT_PTR TimerId(TPaneTimer timer) {
    return timer == TPaneTimer::Refresh ? RefreshTimerId : ScrollBarTimerId;
}

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

// Made once the first clients have been answered: creating and filling the
// control costs Wine milliseconds that the start-up can do without. Until
// then the pane lives in its text alone.
bool TPaneView::Create(HWND parent, HINSTANCE instance, WORD id, int dpi) {
    FId = id;
    const HWND edit = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, 0,
        0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    if (!edit)
        return false;
    FEdit.Attach(edit);
    ::SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FControlProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaneProc)));
    if (!FControlProc)
        return false;
    // The control's own default limit of 30000 characters would silently cut
    // appends that the pane's capacity rule has let in.
    ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    FFont = CreatePaneFont(dpi);
    if (FFont)
        ::SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    return true;
}

void TPaneView::Notice(WORD notification) {
    if (notification == EN_CHANGE)
        FBuffer.ControlChanged();
}

bool TPaneView::StartTimer(TPaneTimer timer, unsigned milliseconds) {
    return ::SetTimer(FEdit.Handle(), TimerId(timer), milliseconds, nullptr) != 0;
}

void TPaneView::StopTimer(TPaneTimer timer) {
    ::KillTimer(FEdit.Handle(), TimerId(timer));
}

// The pane's WM_PAINT draws the text, or brings the control in step where it cannot.
void TPaneView::RepaintAhead() {
    ::InvalidateRect(FEdit.Handle(), nullptr, FALSE);
    ::UpdateWindow(FEdit.Handle());
}

void TPaneView::ControlInStep() {
    if (FCaretHidden) {
        ::ShowCaret(FEdit.Handle());
        FCaretHidden = false;
    }
}

// Paints the control's client area for a WM_PAINT while the control is behind
// the pane's text; false when the text cannot be drawn that way.
bool TPaneView::PaintAhead() {
    if (FBuffer.SelectionPending())
        return false;
    const HWND pane = FEdit.Handle();
    const TPaint paint(pane);
    if (!paint.Dc())
        return false;
    // The control's caret would stand where its own text ends.
    if (!FCaretHidden && ::GetFocus() == pane)
        FCaretHidden = ::HideCaret(pane) != FALSE;
    const TFlagScope painting(FPainting);
    const bool painted =
        TPanePainter(pane, static_cast<HFONT>(FFont.Get())).Paint(paint.Dc(), FBuffer.Text());
    if (painted)
        FPacing.PaintedAhead();
    return painted;
}

LRESULT CALLBACK TPaneView::PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TPaneView*>(::GetWindowLongPtrA(pane, GWLP_USERDATA));
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT TPaneView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND pane = FEdit.Handle();
    if (message == WM_TIMER && (wParam == RefreshTimerId || wParam == ScrollBarTimerId)) {
        const TPaneTimer timer = wParam == RefreshTimerId ? TPaneTimer::Refresh : TPaneTimer::ScrollBars;
        Guarded(FErrors, [this, timer] { FPacing.TimerFired(timer); });
        return 0;
    }
    const bool ownEdit = FPacing.Syncing() || FBuffer.Syncing() || FPainting;
    // While the start-up is still making the window, only its own layout
    // reaches the control.
    if (!ownEdit && !FBuffer.AwaitingControl() && FBuffer.HasPendingChanges()) {
        // Painting shows the pane's text without the control; whatever else
        // reaches the control (the user's input, another program reading the
        // text) must find it in step with the pane.
        if (message == WM_ERASEBKGND)
            return TRUE;
        if (message == WM_PAINT) {
            // Where the text cannot be drawn so, the control is brought in
            // step, which draws it anew.
            if (Guarded(FErrors, [this] {
                    if (!PaintAhead())
                        FPacing.Sync();
                }))
                return 0;
            ::InvalidateRect(pane, nullptr, TRUE);
        } else if (!LeavesTextAlone(pane, message)) {
            Guarded(FErrors, [this] { FPacing.Sync(); });
        }
    }
    // The edit control would show its own context menu; the viewer's is wanted.
    if (message == WM_CONTEXTMENU) {
        ::SendMessageA(::GetParent(pane), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pane), lParam);
        return 0;
    }
    const LRESULT result = ::CallWindowProcA(FControlProc, pane, message, wParam, lParam);
    // Text set from outside the viewer gives no change notice in a
    // multi-line control; it is the pane's text from now on all the same.
    if (!ownEdit && ChangesText(message))
        FBuffer.ControlChanged();
    return result;
}
