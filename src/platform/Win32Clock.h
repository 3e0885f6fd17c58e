#pragma once

#include "shell/Clock.h"

// The local time and the user's locale settings for writing it.
class TWin32Clock : public IClock {
  public:
    TTimeOfDay Now() const override;
    TTimeFormat TimeFormat() const override;
};
