#pragma once

#include "pane/PaneBuffer.h"

enum class TPaneTimer { Refresh, ScrollBars };

// What the pane's pacing needs from the screen: the control's batches, its
// timers and a clock in milliseconds.
class IPaneScreen {
  public:
    virtual ~IPaneScreen() = default;
    // Edits between the two are laid out but drawn once, at the end. EndBatch
    // draws changed scroll bars too when drawScrollBars allows; otherwise it
    // returns true and they wait for RedrawScrollBars.
    virtual void BeginBatch() = 0;
    virtual bool EndBatch(bool drawScrollBars) = 0;
    virtual void RedrawScrollBars() = 0;
    virtual bool StartTimer(TPaneTimer timer, unsigned milliseconds) = 0;
    virtual void StopTimer(TPaneTimer timer) = 0;
    virtual unsigned Now() const = 0;
    // Repaints the pane now. Its painting draws the text ahead of the control
    // (and calls PaintedAhead), or brings the control in step where it cannot.
    virtual void RepaintAhead() = 0;
    // The control is in step again: its caret may show.
    virtual void ControlInStep() = 0;
};

// When the screen's control follows the pane's text. A flood of prints
// changes only the text in memory; the pane's picture follows it at most one
// refresh interval behind, drawn ahead of the control, and the control
// itself catches up once the prints stop or it has lagged too long.
class TPanePacing {
  public:
    TPanePacing(TPaneBuffer& buffer, IPaneScreen& screen) : FBuffer(buffer), FScreen(screen) {}

    // The control has been made: it takes the text the pane holds so far.
    // Raises when it refuses it.
    void FillControl();
    // Brings the control in step now: before anything reads or changes it.
    void Sync();
    // A command changed the pane's text; a print may be drawn ahead.
    void Changed(bool byPrint);
    void TimerFired(TPaneTimer timer);
    // The painting drew the text that the control does not hold yet.
    void PaintedAhead();
    // The control's notices are the pacing's own while this holds.
    bool Syncing() const { return FSyncing; }

  private:
    void ScheduleRefresh();
    void Refresh();
    void StopRefreshTimer();
    void PaceScrollBars(bool scrollBarsWait, unsigned now);

    TPaneBuffer& FBuffer;
    IPaneScreen& FScreen;
    bool FSyncing = false;
    bool FRefreshTimerArmed = false;
    unsigned FLastRefresh = 0;
    // The picture shows text the control does not hold yet, since FAheadSince.
    bool FAhead = false;
    unsigned FAheadSince = 0;
    bool FPrintedSinceRefresh = false;
    unsigned FLastScrollBarDraw = 0;
    bool FScrollBarsWaiting = false;
};
