#pragma once

#include <set>

#include "pane/PanePacing.h"

// The pane's screen with a clock the test moves and timers it fires.
class TMemoryScreen : public IPaneScreen {
  public:
    void BeginBatch() override { ++OpenBatches; }
    bool EndBatch(bool) override {
        --OpenBatches;
        return false;
    }
    void RedrawScrollBars() override {}
    bool StartTimer(TPaneTimer timer, unsigned) override { return Timers.insert(timer), true; }
    void StopTimer(TPaneTimer timer) override { Timers.erase(timer); }
    unsigned Now() const override { return Clock; }
    void RepaintAhead() override {}
    void ControlInStep() override {}

    int OpenBatches = 0;
    unsigned Clock = 0;
    std::set<TPaneTimer> Timers;
};
