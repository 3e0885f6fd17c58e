#include "pane/MarkLine.h"

namespace {
std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}
} // namespace

std::string FormatTimeOfDay(const TTimeOfDay& time, const TTimeFormat& format) {
    int hour = time.Hour;
    if (!format.TwentyFourHourClock) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    std::string text = format.LeadingZeroInHours ? TwoDigits(hour) : std::to_string(hour);
    text += format.Separator + TwoDigits(time.Minute) + format.Separator + TwoDigits(time.Second);
    if (!format.TwentyFourHourClock) {
        const std::string& designator = time.Hour < 12 ? format.AmDesignator : format.PmDesignator;
        if (!designator.empty())
            text += " " + designator;
    }
    return text;
}

std::string MarkLine(const TTimeOfDay& time, const TTimeFormat& format) {
    return "*** (MARKED AT " + FormatTimeOfDay(time, format) + ")*** *** *** *** *** *** **** *** ***";
}
