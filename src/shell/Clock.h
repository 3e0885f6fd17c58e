#pragma once

#include "common/ReceivedLine.h"
#include "pane/MarkLine.h"

// The time of day, how the user's locale writes it, and the time lines are
// received at.
class IClock {
  public:
    virtual ~IClock() = default;

    virtual TTimeOfDay Now() const = 0;
    virtual TTimeFormat TimeFormat() const = 0;
    // Now, as a received line carries it.
    virtual TLineTime LineTime() const = 0;
};
