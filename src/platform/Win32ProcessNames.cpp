#include "platform/Win32ProcessNames.h"

#include <vector>

#include "platform/Win32LineTime.h"

namespace {
const std::uint64_t UnitsPerMs = 10000;
// How long a refused id is not asked about again, and how long an ended process is kept after its end.
const DWORD RefusedFor = 5000;
const std::uint64_t EndedKeptMs = 30000;
// How often the ended processes are looked for, at most.
const DWORD TidyInterval = 1000;

std::uint64_t Value(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// "C:\Program Files\App\app.exe" is "app.exe", in UTF-8.
std::string FileNameOf(const std::wstring& path) {
    const std::wstring::size_type separator = path.find_last_of(L"\\/");
    const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
    if (name.empty())
        return std::string();
    const int length = static_cast<int>(name.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, name.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, name.data(), length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::wstring ImagePathOf(HANDLE process) {
    std::vector<wchar_t> path(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameW(process, 0, path.data(), &size))
            return std::wstring(path.data(), size);
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        path.resize(path.size() * 4);
    }
    return std::wstring();
}

// The end is 0 while the process runs (its exit time means nothing then). A process that ended with the
// code STILL_ACTIVE counts as running, and is only kept the longer.
bool TimesOf(HANDLE process, std::uint64_t& started, std::uint64_t& ended) {
    FILETIME creation{}, exit{}, kernel{}, user{};
    DWORD code = 0;
    if (!::GetProcessTimes(process, &creation, &exit, &kernel, &user) ||
        !::GetExitCodeProcess(process, &code))
        return false;
    started = Value(creation);
    ended = code == STILL_ACTIVE ? 0 : Value(exit);
    return true;
}
} // namespace

const std::string& TWin32ProcessNames::NameOf(std::uint32_t processId, const TLineTime& taken) {
    const DWORD now = ::GetTickCount();
    if (now - FLastTidy >= TidyInterval) {
        FLastTidy = now;
        LetGoOfEnded(now);
    }
    std::uint64_t takenAt = 0;
    const TKnown* known = Find(processId, now);
    if (known == nullptr || known->Name.empty() || !UtcFileTimeOf(taken, takenAt))
        return FNone;
    // Both times are the system's clock, to the millisecond at best. In the millisecond of the start itself
    // the message may be a process's that ended just before, with the same id: it gets no name.
    return known->StartedMs < takenAt / UnitsPerMs ? known->Name : FNone;
}

TWin32ProcessNames::TKnown* TWin32ProcessNames::Find(std::uint32_t processId, DWORD now) {
    const auto known = FKnown.find(processId);
    if (known != FKnown.end())
        return &known->second;
    const auto refused = FRefused.find(processId);
    if (refused != FRefused.end()) {
        if (now - refused->second < RefusedFor)
            return nullptr;
        FRefused.erase(refused);
    }
    TKnown process;
    process.Process =
        TKernelHandle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId)));
    std::uint64_t started = 0;
    std::uint64_t ended = 0;
    if (!process.Process || !TimesOf(process.Process.Get(), started, ended)) {
        FRefused[processId] = now;
        return nullptr;
    }
    process.StartedMs = started / UnitsPerMs;
    process.Name = FileNameOf(ImagePathOf(process.Process.Get()));
    return &(FKnown[processId] = std::move(process));
}

// An ended process's messages reach the window within moments of its end; its id is let go well after.
void TWin32ProcessNames::LetGoOfEnded(DWORD now) {
    FILETIME clock{};
    ::GetSystemTimeAsFileTime(&clock);
    const std::uint64_t nowMs = Value(clock) / UnitsPerMs;
    for (auto known = FKnown.begin(); known != FKnown.end();) {
        std::uint64_t started = 0;
        std::uint64_t ended = 0;
        const bool gone = !TimesOf(known->second.Process.Get(), started, ended) ||
                          (ended != 0 && ended / UnitsPerMs + EndedKeptMs < nowMs);
        known = gone ? FKnown.erase(known) : std::next(known);
    }
    for (auto refused = FRefused.begin(); refused != FRefused.end();)
        refused = now - refused->second >= RefusedFor ? FRefused.erase(refused) : std::next(refused);
}
