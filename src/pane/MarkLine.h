#pragma once

#include <string>

struct TTimeOfDay {
    int Hour = 0; // 0 to 23
    int Minute = 0;
    int Second = 0;
};

// The user's locale settings that shape a time of day.
struct TTimeFormat {
    bool LeadingZeroInHours = false;
    bool TwentyFourHourClock = true;
    std::string Separator = ":";
    std::string AmDesignator = "AM";
    std::string PmDesignator = "PM";
};

std::string FormatTimeOfDay(const TTimeOfDay& time, const TTimeFormat& format);

// The marker line the user adds to find a moment in the output again.
std::string MarkLine(const TTimeOfDay& time, const TTimeFormat& format);
