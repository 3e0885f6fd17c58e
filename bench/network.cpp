#include "network.h"

#include "channel_client.h"
#include "clock.h"
#include "viewer_process.h"
#include "workspace.h"

#include "harness/collector.h"
#include "harness/files.h"
#include "harness/unix.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

const long kReceived = 10000;
const long kForwarded = 20000;
const DWORD kStartTimeoutMs = 20000;
const DWORD kCloseTimeoutMs = 15000;
const DWORD kLoggerMs = 120000;
// Dravik writes its history at least once a second; more than this without a new line means no more come.
const double kQuietSeconds = 5;
const double kLongestWaitSeconds = 120;
const std::string kBom = "\xEF\xBB\xBF";

void Progress(const std::string& text) {
    std::printf("[network] %s\n", text.c_str());
    std::fflush(stdout);
}

// A fresh folder with everything in it removed at the end, history folder included.
struct WorkFolder {
    WorkFolder() : path(e2e::MakeTempFolder()) {}
    ~WorkFolder() { e2e::RemoveFolder(path); }
    std::string path;
};

// Dravik started from a copy in the folder with the settings given.
bool StartDravik(ViewerProcess& viewer, const std::string& exe, const std::string& folder,
                 const std::vector<std::pair<std::string, std::string>>& settings) {
    const std::string copy = folder + "Dravik.exe";
    if (!CopyFileA(exe.c_str(), copy.c_str(), FALSE) || !DeleteViewerSettings())
        return false;
    for (const auto& setting : settings)
        if (!SetViewerSetting(setting.first, setting.second))
            return false;
    return viewer.Start(copy, "", folder) && viewer.WaitAnswering(kStartTimeoutMs) > 0;
}

// The texts of the history's entries whose origin names app, in the order of the files (named by time)
// and of the entries in them.
std::vector<std::string> HistoryTexts(const std::string& folder, const std::string& app) {
    const std::string history = folder + "DebugLog.txt.history\\";
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((history + "*.txt").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do
            names.push_back(entry.cFileName);
        while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> texts;
    const std::string origin = " " + app + " ";
    for (const std::string& name : names) {
        std::string bytes;
        e2e::ReadFileBytes(history + name, bytes);
        for (std::size_t start = 0; start < bytes.size();) {
            std::size_t end = bytes.find("\r\n", start);
            if (end == std::string::npos)
                break;
            const std::size_t tab = bytes.find('\t', start);
            const std::size_t secondTab = tab < end ? bytes.find('\t', tab + 1) : std::string::npos;
            if (secondTab < end && bytes.substr(tab, secondTab - tab + 1).find(origin) != std::string::npos)
                texts.push_back(bytes.substr(secondTab + 1, end - secondTab - 1));
            start = end + 2;
        }
    }
    return texts;
}

std::string MessageText(long number) {
    char text[32];
    std::snprintf(text, sizeof text, "message %06ld", number);
    return text;
}

// How many of the texts are the messages from the first on, in order.
long InOrder(const std::vector<std::string>& texts) {
    long count = 0;
    while (count < static_cast<long>(texts.size()) && texts[count] == MessageText(count + 1))
        ++count;
    return count;
}

// Without a history (a build before it), the pane: how many of the last messages it ends with, in order, as
// many as it holds.
long PaneTailInOrder(const ViewerProcess& viewer, const std::string& app, long last) {
    std::string text;
    if (!viewer.ReadPane(text))
        return 0;
    long count = 0;
    std::size_t end = text.size();
    while (end >= 2 && text.compare(end - 2, 2, "\r\n") == 0) {
        const std::size_t start = text.rfind("\r\n", end - 3);
        const std::size_t from = start == std::string::npos ? 0 : start + 2;
        if (text.substr(from, end - 2 - from).find(" " + app + "] " + MessageText(last - count)) ==
            std::string::npos)
            break;
        ++count;
        if (from == 0)
            break;
        end = from;
    }
    return count;
}

// Waits until the history holds `sent` entries of app, or no more come; the seconds from start until the
// last one that came.
double WaitForHistory(const std::string& folder, const std::string& app, long sent, double start,
                      std::vector<std::string>& texts) {
    double lastGrowth = Seconds();
    std::size_t seen = 0;
    while (Seconds() - lastGrowth < kQuietSeconds && Seconds() - start < kLongestWaitSeconds) {
        texts = HistoryTexts(folder, app);
        if (texts.size() != seen) {
            seen = texts.size();
            lastGrowth = Seconds();
        }
        if (static_cast<long>(seen) >= sent)
            break;
        Sleep(100);
    }
    return lastGrowth - start;
}

void MeasureReceiving(const std::string& dravikExe, NetworkResults& results) {
    WorkFolder folder;
    const unsigned short port = e2e::FreePort();
    ViewerProcess viewer(kDravikNames);
    if (folder.path.empty() || port == 0 ||
        !StartDravik(viewer, dravikExe, folder.path, {{"SyslogReceivePort", std::to_string(port)}})) {
        results.problems.push_back("receiving: Dravik did not start");
        return;
    }
    std::string messages;
    for (long number = 1; number <= kReceived; ++number)
        messages += MessageText(number) + "\n";
    const std::string file = folder.path + "messages.txt";
    e2e::WriteFileBytes(file, messages);
    const std::string logger =
        "logger -n 127.0.0.1 -P " + std::to_string(port) + " --rfc5424 -f '" + e2e::UnixPath(file) + "' ";

    std::vector<std::string> texts;
    double start = Seconds();
    if (e2e::RunUnix(folder.path, logger + "-T --octet-count -t benchtcp", kLoggerMs) != 0)
        results.problems.push_back("receiving: logger over TCP failed");
    results.tcpSent = kReceived;
    results.tcpSeconds = WaitForHistory(folder.path, "benchtcp", kReceived, start, texts);
    results.tcpInOrder = InOrder(texts);
    Progress("TCP: " + std::to_string(results.tcpInOrder) + " of " + std::to_string(kReceived) +
             " in the history in order");
    results.historyFound = !texts.empty();
    if (texts.empty()) {
        results.paneTail = PaneTailInOrder(viewer, "benchtcp", kReceived);
        results.problems.push_back("receiving: no history in this build; the pane ended with the last " +
                                   std::to_string(results.paneTail) + " messages sent over TCP, in order");
    }

    start = Seconds();
    if (e2e::RunUnix(folder.path, logger + "-d -t benchudp", kLoggerMs) != 0)
        results.problems.push_back("receiving: logger over UDP failed");
    results.udpSent = kReceived;
    results.udpSeconds = WaitForHistory(folder.path, "benchudp", kReceived, start, texts);
    results.udpKept = static_cast<long>(texts.size());
    Progress("UDP: " + std::to_string(results.udpKept) + " of " + std::to_string(kReceived) +
             " in the history");
    if (!viewer.Close(kCloseTimeoutMs))
        results.problems.push_back("receiving: Dravik did not close");
}

void MeasureForwarding(const std::string& dravikExe, NetworkResults& results) {
    WorkFolder folder;
    const unsigned short port = e2e::FreePort();
    e2e::SyslogCollector collector(folder.path, port);
    if (folder.path.empty() || port == 0 || !collector.Start()) {
        results.problems.push_back("forwarding: rsyslogd did not start");
        return;
    }
    ViewerProcess viewer(kDravikNames);
    ChannelClient client;
    if (!StartDravik(viewer, dravikExe, folder.path,
                     {{"SyslogForward", "tcp://127.0.0.1:" + std::to_string(port)}}) ||
        !client.Open(kDravikNames)) {
        results.problems.push_back("forwarding: Dravik did not start");
        return;
    }
    results.forwardSent = kForwarded;
    const double start = Seconds();
    for (long number = 1; number <= kForwarded; ++number) {
        if (!client.Print(MakeLine(1, number))) {
            results.problems.push_back("forwarding: print " + std::to_string(number) + " failed");
            break;
        }
    }
    results.printSeconds = Seconds() - start;
    collector.WaitForCount(kForwarded, 120000);
    results.forwardSeconds = Seconds() - start;
    const std::vector<std::string> lines = collector.Lines();
    const std::string head = e2e::SyslogHostName() + "|dravik|-|-|" + kBom;
    long right = 0;
    while (right < kForwarded && right < static_cast<long>(lines.size()) &&
           lines[right] == head + MakeLine(1, right + 1))
        ++right;
    results.forwardRight = right;
    if (right < static_cast<long>(lines.size()) && right < kForwarded)
        results.problems.push_back("forwarding: line " + std::to_string(right + 1) +
                                   " in rsyslogd's file is \"" + lines[right].substr(0, 120) + "\"");
    Progress("forwarded: " + std::to_string(right) + " of " + std::to_string(kForwarded) +
             " in rsyslogd's file in order with the right fields");
    if (!viewer.Close(kCloseTimeoutMs))
        results.problems.push_back("forwarding: Dravik did not close");
}

std::string Rate(const char* what, long count, double seconds) {
    char text[160];
    std::snprintf(text, sizeof text, "- %s: %ld in %.2f s, %.0f per second\n", what, count, seconds,
                  seconds > 0 ? count / seconds : 0.0);
    return text;
}

} // namespace

NetworkResults MeasureNetwork(const ViewerSetup& dravik, const ViewerSetup& null, int rounds) {
    NetworkResults results;
    MeasureReceiving(dravik.exe, results);
    MeasureForwarding(dravik.exe, results);

    // The clients' rounds with every line forwarded to a collector that keeps up.
    WorkFolder folder;
    const unsigned short port = e2e::FreePort();
    e2e::SyslogCollector collector(folder.path, port);
    if (folder.path.empty() || port == 0 || !collector.Start()) {
        results.problems.push_back("clients with forwarding: rsyslogd did not start");
        return results;
    }
    ViewerSetup forwarding = dravik;
    forwarding.settings.push_back({"SyslogForward", "tcp://127.0.0.1:" + std::to_string(port)});
    results.clients = MeasureInTurns(forwarding, null, rounds);
    results.clientsMeasured = true;
    return results;
}

std::vector<Row> NetworkRows(const NetworkResults& r) {
    const Row forwarded{
        "Client prints forwarded over TCP at full speed, in rsyslogd's file in order with the right fields",
        "lines",
        static_cast<double>(r.forwardRight),
        static_cast<double>(r.forwardSent),
        true,
        1.0,
        0};
    // Received messages are counted in the history: without one they cannot be.
    if (!r.historyFound)
        return {forwarded};
    return {
        Row{"Syslog from logger over TCP, in the history in order", "messages",
            static_cast<double>(r.tcpInOrder), static_cast<double>(r.tcpSent), true, 1.0, 0},
        Row{"Syslog from logger over UDP on the loopback, in the history", "messages",
            static_cast<double>(r.udpKept), static_cast<double>(r.udpSent), true, 0.999, 0},
        Row{"Syslog from logger over UDP on the loopback, lost", "messages",
            static_cast<double>(r.udpSent - r.udpKept), 0, false, 10, 0, true},
        forwarded,
    };
}

std::vector<Row> ForwardingClientRows(const NetworkResults& r) {
    if (!r.clientsMeasured)
        return {};
    const ViewerResults& dravik = r.clients.dravik;
    const ViewerResults& null = r.clients.null;
    return {
        Row{"One client, forwarding on", "lines/s", dravik.oneClientLinesPerSecond,
            null.oneClientLinesPerSecond, true, 0.9, 0},
        Row{"Four clients, forwarding on", "lines/s", dravik.fourClientsLinesPerSecond,
            null.fourClientsLinesPerSecond, true, 0.9, 0},
        Row{"Print latency, median, forwarding on", "ms", dravik.latencyMedianMs, null.latencyMedianMs, false,
            0, 3},
        Row{"Print latency, longest, forwarding on", "ms", dravik.latencyMaxMs, null.latencyMaxMs, false, 0,
            1},
    };
}

std::string NetworkNotes(const NetworkResults& r) {
    std::string text;
    if (r.historyFound)
        text = Rate("Syslog over TCP from logger until the last one was in the history", r.tcpInOrder,
                    r.tcpSeconds) +
               Rate("Syslog over UDP from logger until the last one was in the history", r.udpKept,
                    r.udpSeconds);
    text +=
        Rate("Client prints, as the client made them", r.forwardSent, r.printSeconds) +
        Rate("Client prints, until the last one was in rsyslogd's file", r.forwardRight, r.forwardSeconds);
    for (const std::string& problem : r.problems)
        text += "- **network: " + problem + "**\n";
    for (const std::string& problem : r.clients.dravik.problems)
        text += "- **Dravik, forwarding on: " + problem + "**\n";
    for (const std::string& problem : r.clients.null.problems)
        text += "- **null viewer, beside Dravik forwarding: " + problem + "**\n";
    return text;
}

} // namespace bench
