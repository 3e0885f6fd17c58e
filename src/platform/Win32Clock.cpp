#include "platform/Win32Clock.h"

#include <windows.h>

namespace {
std::string LocaleString(LCTYPE type, const char* fallback) {
    char buffer[128] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) <= 0)
        return fallback;
    return buffer;
}
} // namespace

TTimeOfDay TWin32Clock::Now() const {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return TTimeOfDay{now.wHour, now.wMinute, now.wSecond};
}

TTimeFormat TWin32Clock::TimeFormat() const {
    TTimeFormat format;
    format.LeadingZeroInHours = LocaleString(LOCALE_ITLZERO, "0") == "1";
    format.TwentyFourHourClock = LocaleString(LOCALE_ITIME, "1") == "1";
    format.Separator = LocaleString(LOCALE_STIME, ":");
    format.AmDesignator = LocaleString(LOCALE_S1159, "AM");
    format.PmDesignator = LocaleString(LOCALE_S2359, "PM");
    return format;
}
