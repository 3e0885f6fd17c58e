#include "history.h"

#include "channel_client.h"
#include "clock.h"
#include "harness/history_window.h"
#include "workspace.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace bench {

namespace {

const long kLines = 3000000;
const int kFiles = 16;
// The popup menu's History item.
const WPARAM kHistoryCommand = 115;
// In 1 row of 1000, and in the last row only.
const char* const kRareText = "one-in-a-thousand";
const char* const kLastText = "needle-in-the-haystack";
const double kTimeoutSeconds = 60;

void Progress(const std::string& text) {
    std::printf("[history] %s\n", text.c_str());
    std::fflush(stdout);
}

// Line n of the history, without its line break; about 84 bytes with it.
std::string Entry(long n) {
    char line[160];
    const char* text = n == kLines - 1   ? kLastText
                       : n % 1000 == 500 ? kRareText
                                         : "the quick brown fox jumps over the dog";
    std::snprintf(line, sizeof line, "2026-12-09 %02ld:%02ld:%02ld.%03ld\tclient\tline %07ld %s",
                  (n / 3600000) % 24, (n / 60000) % 60, (n / 1000) % 60, n % 1000, n, text);
    return line;
}

// Files as the history's writer names them, oldest first, written straight into the folder.
bool WriteHistory(const std::string& folder, double& megabytes) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::uint64_t bytes = 0;
    const long perFile = kLines / kFiles;
    long n = 0;
    for (int file = 0; file < kFiles; ++file) {
        char name[64];
        std::snprintf(name, sizeof name, "20261209-%02d0000.txt", file);
        TFileHandle handle(CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle)
            return false;
        const long end = file + 1 == kFiles ? kLines : n + perFile;
        std::string block;
        while (n < end) {
            block += Entry(n++) + "\r\n";
            if (block.size() >= (1 << 20) || n == end) {
                DWORD written = 0;
                if (!WriteFile(handle.Get(), block.data(), static_cast<DWORD>(block.size()), &written,
                               nullptr) ||
                    written != block.size())
                    return false;
                bytes += written;
                block.clear();
            }
        }
    }
    megabytes = bytes / 1e6;
    return true;
}

// The plain reading: every file in blocks of 1 MiB, its lines counted, and where text is given, looked for.
double ReadHistory(const std::string& folder, const char* text, long& lines, long& found) {
    const double start = Seconds();
    lines = 0;
    std::vector<char> block(1 << 20);
    const std::size_t textLength = text ? std::strlen(text) : 0;
    found = 0;
    for (int file = 0; file < kFiles; ++file) {
        char name[64];
        std::snprintf(name, sizeof name, "\\20261209-%02d0000.txt", file);
        TFileHandle handle(CreateFileA((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD read = 0;
        while (handle &&
               ReadFile(handle.Get(), block.data(), static_cast<DWORD>(block.size()), &read, nullptr) &&
               read > 0) {
            const char* end = block.data() + read;
            for (const char* p = block.data(); (p = static_cast<const char*>(std::memchr(p, '\n', end - p)));
                 ++p)
                ++lines;
            if (text) {
                const std::string_view bytes(block.data(), read);
                for (std::size_t at = bytes.find(text); at != std::string_view::npos;
                     at = bytes.find(text, at + textLength))
                    ++found;
            }
        }
    }
    return Seconds() - start;
}

// The main window's answer to WM_NULL, and a client's print, every 10 ms on threads of their own; each keeps
// its longest time before the window opened and since.
struct Prober {
    HWND window = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<bool> open{false};
    double longest[2][2] = {};
    long counts[2] = {};
    bool printFailed = false;

    static DWORD WINAPI Answers(void* parameter) {
        auto* self = static_cast<Prober*>(parameter);
        while (!self->stop) {
            const int phase = self->open ? 1 : 0;
            const double start = Seconds();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(self->window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
            self->Note(0, phase, Seconds() - start);
            Sleep(10);
        }
        return 0;
    }
    static DWORD WINAPI Prints(void* parameter) {
        auto* self = static_cast<Prober*>(parameter);
        ChannelClient client;
        if (!client.Open(kDravikNames)) {
            self->printFailed = true;
            return 0;
        }
        for (long n = 0; !self->stop; ++n) {
            const int phase = self->open ? 1 : 0;
            double seconds = 0;
            if (!client.Print(MakeLine(7, n), seconds))
                self->printFailed = true;
            self->Note(1, phase, seconds);
            Sleep(10);
        }
        return 0;
    }
    void Note(int what, int phase, double seconds) {
        if (seconds * 1000 > longest[what][phase])
            longest[what][phase] = seconds * 1000;
        if (phase == 1)
            ++counts[what];
    }
};

// Polls every 2 ms; the seconds from start until the condition held, or -1.
template <class Condition> double Until(double start, Condition condition) {
    while (Seconds() - start < kTimeoutSeconds) {
        if (condition())
            return Seconds() - start;
        Sleep(2);
    }
    return -1;
}

// Opens the window and measures it; returns it, left open.
HWND MeasureOpen(ViewerProcess& viewer, HistoryResults& results) {
    const double opened = Seconds();
    PostMessageW(viewer.Window(), WM_COMMAND, kHistoryCommand, 0);
    HWND history = nullptr;
    const auto found = [&] {
        history = e2e::FindHistoryWindow(viewer.Id());
        return history && IsWindowVisible(history) && GetDlgItem(history, e2e::kHistoryList);
    };
    if (Until(opened, found) < 0) {
        results.problems.push_back("the History window did not open");
        return nullptr;
    }
    e2e::HistoryList list(history, viewer.Handle());
    results.firstRows =
        Until(opened, [&] { return list.Count() > 0 && list.Row(list.TopRow()).rfind("2026-", 0) == 0; });
    // The probing client's prints go into the viewer's own history file, the newest: rows beyond the
    // history written here, after it.
    results.fullCount = Until(opened, [&] { return list.Count() >= kLines; });
    Progress("first rows after " + std::to_string(results.firstRows) + " s, all " + std::to_string(kLines) +
             " after " + std::to_string(results.fullCount) + " s");
    if (results.fullCount < 0) {
        results.problems.push_back("the list never held every line: " + std::to_string(list.Count()));
        return history;
    }
    if (list.Row(0) != Entry(0) || list.Row(kLines - 1) != Entry(kLines - 1))
        results.problems.push_back("the first or the last row is not the history's: \"" + list.Row(0) +
                                   "\", \"" + list.Row(kLines - 1) + "\"");

    const std::string shown = std::to_string(kLines / 1000) + " of ";
    double start = Seconds();
    e2e::SetHistoryBox(history, e2e::kHistoryFilter, kRareText);
    results.filter = Until(start, [&] {
        const std::string status = e2e::HistoryStatus(history);
        return list.Count() == kLines / 1000 && status.find(shown) == 0 &&
               status.find("filtering") == std::string::npos;
    });
    Progress("filter: " + std::to_string(results.filter) + " s");
    if (results.filter < 0 || list.Row(0) != Entry(500))
        results.problems.push_back("the filter did not show the rows with \"" + std::string(kRareText) +
                                   "\"");

    e2e::SetHistoryBox(history, e2e::kHistoryFilter, "");
    start = Seconds();
    if (Until(start, [&] { return list.Count() >= kLines; }) < 0)
        results.problems.push_back("the list did not show every line again without the filter");
    // From the first row: the text is in the last one only.
    PostMessageW(list.Handle(), WM_KEYDOWN, VK_HOME, 0);
    PostMessageW(list.Handle(), WM_KEYUP, VK_HOME, 0);
    if (Until(Seconds(), [&] { return list.Selected() == 0; }) < 0)
        results.problems.push_back("Home did not select the first row");
    const std::string line = "Line " + std::to_string(kLines) + " of ";
    start = Seconds();
    e2e::SetHistoryBox(history, e2e::kHistoryFind, kLastText);
    results.find = Until(start, [&] {
        return list.Selected() == kLines - 1 && e2e::HistoryStatus(history).find(line) != std::string::npos;
    });
    Progress("find: " + std::to_string(results.find) + " s");
    if (results.find < 0)
        results.problems.push_back("Find did not select the last row: status \"" +
                                   e2e::HistoryStatus(history) + "\"");
    return history;
}

} // namespace

HistoryResults MeasureHistory(const std::string& dravikExe) {
    HistoryResults results;
    TempFolder folder;
    const std::string exe = folder.Path() + "Dravik.exe";
    const std::string history = folder.Path() + "DebugLog.txt.history";
    Progress("writing " + std::to_string(kLines) + " lines into " + history);
    if (!folder.Valid() || !CopyFileA(dravikExe.c_str(), exe.c_str(), FALSE) ||
        !WriteHistory(history, results.megabytes)) {
        results.problems.push_back("the history could not be written");
        return results;
    }
    // Twice, the second time as the viewer will read them: from the system's cache.
    long matches = 0;
    for (int time = 0; time < 2; ++time) {
        results.countLines = ReadHistory(history, nullptr, results.lines, matches);
        results.searchText = ReadHistory(history, kRareText, results.lines, matches);
    }
    Progress("plain reading: " + std::to_string(results.countLines) + " s, with a search " +
             std::to_string(results.searchText) + " s, " + std::to_string(results.lines) + " lines, " +
             std::to_string(matches) + " found");
    if (results.lines != kLines || matches != kLines / 1000)
        results.problems.push_back("the plain reading found " + std::to_string(results.lines) + " lines");

    // The history's limit leaves the 256 MB alone.
    ViewerProcess viewer(kDravikNames);
    if (!DeleteViewerSettings() || !SetViewerSetting("HistoryLimitMB", "4096") ||
        !viewer.Start(exe, "", folder.Path()) || viewer.WaitAnswering(15000) < 0 ||
        !viewer.WaitShownNormally(15000)) {
        results.problems.push_back("Dravik did not start");
        return results;
    }
    Sleep(2000);
    viewer.Memory(results.without);

    Prober prober;
    prober.window = viewer.Window();
    TKernelHandle answers(CreateThread(nullptr, 0, &Prober::Answers, &prober, 0, nullptr));
    TKernelHandle prints(CreateThread(nullptr, 0, &Prober::Prints, &prober, 0, nullptr));
    Sleep(3000);
    prober.open = true;
    const HWND window = MeasureOpen(viewer, results);
    // The memory with the window open, as it was left.
    Sleep(500);
    viewer.Memory(results.with);
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    prober.stop = true;
    WaitForSingleObject(answers.Get(), INFINITE);
    WaitForSingleObject(prints.Get(), INFINITE);
    if (prober.printFailed)
        results.problems.push_back("a client's print failed");
    results.longestAnswerBefore = prober.longest[0][0];
    results.longestAnswerOpen = prober.longest[0][1];
    results.longestPrintBefore = prober.longest[1][0];
    results.longestPrintOpen = prober.longest[1][1];
    results.answers = prober.counts[0];
    results.prints = prober.counts[1];
    if (!viewer.Close(15000))
        results.problems.push_back("Dravik did not close");
    return results;
}

} // namespace bench
