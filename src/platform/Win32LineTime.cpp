#include "platform/Win32LineTime.h"

#include <windows.h>

namespace {
const std::int64_t UnitsPerMinute = 60LL * 10000000LL;

std::uint64_t ValueOf(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
} // namespace

bool UtcFileTimeOf(const TLineTime& time, std::uint64_t& fileTime) {
    if (time.Year < 1601 || time.Year > 30827)
        return false;
    SYSTEMTIME fields{};
    fields.wYear = static_cast<WORD>(time.Year);
    fields.wMonth = static_cast<WORD>(time.Month);
    fields.wDay = static_cast<WORD>(time.Day);
    fields.wHour = static_cast<WORD>(time.Hour);
    fields.wMinute = static_cast<WORD>(time.Minute);
    fields.wSecond = static_cast<WORD>(time.Second);
    fields.wMilliseconds = static_cast<WORD>(time.Millisecond);
    FILETIME local{};
    if (!::SystemTimeToFileTime(&fields, &local))
        return false;
    const std::int64_t utc = static_cast<std::int64_t>(ValueOf(local)) -
                             static_cast<std::int64_t>(time.UtcOffsetMinutes) * UnitsPerMinute;
    if (utc < 0)
        return false;
    fileTime = static_cast<std::uint64_t>(utc);
    return true;
}
