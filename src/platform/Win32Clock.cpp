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

TLineTime TWin32Clock::LocalLineTime() {
    FILETIME utc{};
    ::GetSystemTimeAsFileTime(&utc);
    FILETIME local{};
    SYSTEMTIME time{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &time)) {
        local = utc;
        ::FileTimeToSystemTime(&utc, &time);
    }
    const auto ticks = [](const FILETIME& t) {
        return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                      t.dwLowDateTime);
    };
    // File times count 100 ns; the offset is whole minutes.
    const long long offset = (ticks(local) - ticks(utc)) / (10LL * 1000 * 1000 * 60);
    return TLineTime{time.wYear,   time.wMonth,  time.wDay,          time.wHour,
                     time.wMinute, time.wSecond, time.wMilliseconds, static_cast<int>(offset)};
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
