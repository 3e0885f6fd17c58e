#pragma once

#include "shell/Clock.h"

// The local time and the user's locale settings for writing it.
class TWin32Clock : public IClock {
  public:
    TTimeOfDay Now() const override;
    TTimeFormat TimeFormat() const override;
    TLineTime LineTime() const override { return LocalLineTime(); }

    // The local time now, to the millisecond, with its offset from UTC: cheap
    // enough for every line, and safe on any thread.
    static TLineTime LocalLineTime();
};
