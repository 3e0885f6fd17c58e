#include "pane/PanePacing.h"

#include "common/ScopeGuard.h"

namespace {
// The longest the pane's picture may lag behind a flood of prints.
const unsigned RefreshInterval = 100;
// The longest the control itself may lag behind while the picture follows.
// Bringing it in step holds a flood up for 50 to 90 ms each time; until
// then only its scroll bars, which hardly move while a flood keeps the pane
// full, show the older text.
const unsigned LongestControlLag = 5000;
// How often a flood has the pane's scroll bars drawn.
const unsigned ScrollBarInterval = 500;
} // namespace

void TPanePacing::FillControl() {
    FBuffer.ControlMade();
    Sync();
}

void TPanePacing::Sync() {
    if (FBuffer.AwaitingControl())
        return;
    StopRefreshTimer();
    // Whatever happens to the batch, the picture is the control's own again
    // afterwards, and a failed batch leaves no batch open.
    const TScopeGuard inStep([this] {
        FAhead = false;
        FScreen.ControlInStep();
        FLastRefresh = FScreen.Now();
    });
    // The control's own notices during the batch must not start another.
    if (!FBuffer.HasPendingChanges() || FSyncing)
        return;
    const TFlagScope syncing(FSyncing);
    bool batchOpen = true;
    FScreen.BeginBatch();
    const TScopeGuard endBatch([this, &batchOpen] {
        if (batchOpen)
            FScreen.EndBatch(true);
    });
    FBuffer.Sync();
    const unsigned now = FScreen.Now();
    const bool scrollBarsDue = !FScrollBarsWaiting && now - FLastScrollBarDraw >= ScrollBarInterval;
    batchOpen = false;
    PaceScrollBars(FScreen.EndBatch(scrollBarsDue), now);
    if (scrollBarsDue)
        FLastScrollBarDraw = now;
}

void TPanePacing::PaceScrollBars(bool scrollBarsWait, unsigned now) {
    if (!scrollBarsWait || FScrollBarsWaiting)
        return;
    FScrollBarsWaiting =
        FScreen.StartTimer(TPaneTimer::ScrollBars, ScrollBarInterval - (now - FLastScrollBarDraw));
    if (!FScrollBarsWaiting)
        FScreen.RedrawScrollBars();
}

void TPanePacing::Changed(bool byPrint) {
    if (byPrint)
        FPrintedSinceRefresh = true;
    ScheduleRefresh();
}

void TPanePacing::ScheduleRefresh() {
    if (!FBuffer.HasPendingChanges() || FRefreshTimerArmed || FBuffer.AwaitingControl())
        return;
    const unsigned sinceLastRefresh = FScreen.Now() - FLastRefresh;
    if (sinceLastRefresh >= RefreshInterval) {
        Refresh();
        return;
    }
    // The timer also fires inside the modal loops of dialogs and message
    // boxes, so the pane follows a flood while they are open.
    FRefreshTimerArmed = FScreen.StartTimer(TPaneTimer::Refresh, RefreshInterval - sinceLastRefresh);
    if (!FRefreshTimerArmed)
        Sync();
}

void TPanePacing::Refresh() {
    if (!FBuffer.HasPendingChanges()) {
        Sync();
        return;
    }
    PaintedAhead();
    const unsigned now = FScreen.Now();
    // A quiet moment, or a long flood: the control catches up.
    if (!FPrintedSinceRefresh || now - FAheadSince >= LongestControlLag || FBuffer.SelectionPending()) {
        Sync();
        return;
    }
    FPrintedSinceRefresh = false;
    FLastRefresh = now;
    FScreen.RepaintAhead();
    // Ticks on while the control is behind (the painting may have brought it
    // in step instead), to notice when the prints stop.
    if (!FAhead)
        return;
    FRefreshTimerArmed = FScreen.StartTimer(TPaneTimer::Refresh, RefreshInterval);
    if (!FRefreshTimerArmed)
        Sync();
}

// The control's lag is counted from the first picture ahead of it.
void TPanePacing::PaintedAhead() {
    if (!FAhead) {
        FAhead = true;
        FAheadSince = FScreen.Now();
    }
}

void TPanePacing::StopRefreshTimer() {
    if (FRefreshTimerArmed) {
        FScreen.StopTimer(TPaneTimer::Refresh);
        FRefreshTimerArmed = false;
    }
}

void TPanePacing::TimerFired(TPaneTimer timer) {
    FScreen.StopTimer(timer);
    if (timer == TPaneTimer::ScrollBars) {
        FScrollBarsWaiting = false;
        FLastScrollBarDraw = FScreen.Now();
        FScreen.RedrawScrollBars();
        return;
    }
    FRefreshTimerArmed = false;
    Refresh();
}
