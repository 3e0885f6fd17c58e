#pragma once

#include "pane/MarkLine.h"

// The time of day and how the user's locale writes it.
class IClock {
  public:
    virtual ~IClock() = default;

    virtual TTimeOfDay Now() const = 0;
    virtual TTimeFormat TimeFormat() const = 0;
};
