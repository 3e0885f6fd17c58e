#include "measure.h"

#include "channel_client.h"
#include "clients.h"
#include "clock.h"
#include "stats.h"
#include "workspace.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

const int kStartups = 5;
// The pane takes about 365 lines of 80 characters: 1000 fill it, so every timed line runs the trimming path.
const long kPrefillLines = 1000;
const long kTimedLines = 20000;
const int kClients = 4;
const long kLinesPerClient = kTimedLines / kClients;
const DWORD kStartTimeoutMs = 20000;
const DWORD kCloseTimeoutMs = 10000;

void Progress(const ViewerSetup& setup, const std::string& text) {
    std::printf("[%s] %s\n", setup.name.c_str(), text.c_str());
    std::fflush(stdout);
}

// A full log of just under 30000 characters, which the real viewer loads into its pane at start.
std::string LogText() {
    std::string text;
    for (int number = 1; number <= 365; ++number)
        text += MakeLine(0, number) + "\r\n";
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string LastLine(const std::string& text) {
    std::string body = EndsWith(text, "\r\n") ? text.substr(0, text.size() - 2) : text;
    const std::size_t lineBreak = body.rfind("\r\n");
    return lineBreak == std::string::npos ? body : body.substr(lineBreak + 2);
}

// Sanity check that nothing was dropped: the pane must end with the last line any client sent. It is read
// at once, as a user's glance would; if that fails, a second look tells a late pane from a lost line.
void CheckPane(const ViewerProcess& viewer, const std::string& lastSent, const std::string& run,
               ViewerResults& results) {
    const std::string expected = lastSent + "\r\n";
    std::string text;
    if (!lastSent.empty() && viewer.ReadPane(text) && EndsWith(text, expected)) {
        results.checks.push_back("after the " + run + " run the pane ends with the last line sent.");
        return;
    }
    Sleep(500);
    const bool late = viewer.ReadPane(text) && EndsWith(text, expected);
    results.problems.push_back(
        "MISMATCH after the " + run + " run: the pane did not end with the last line sent \"" + lastSent +
        "\"" +
        (late ? "; it did 500 ms later."
              : ", not even 500 ms later; its last line is \"" + LastLine(text) + "\"."));
}

bool Launch(const ViewerSetup& setup, const TempFolder& folder, ViewerProcess& viewer, double& seconds) {
    // Both viewers start in the same conditions; only Dravik reads the settings and the log.
    if (!DeleteViewerSettings() || !WriteWholeFile(folder.Path() + "DebugLog.txt", LogText()))
        return false;
    if (!viewer.Start(setup.exe, setup.arguments, folder.Path()))
        return false;
    seconds = viewer.WaitAnswering(kStartTimeoutMs);
    return seconds > 0;
}

void MeasureStartup(const ViewerSetup& setup, const TempFolder& folder, ViewerResults& results) {
    std::vector<double> samples;
    for (int i = 0; i < kStartups; ++i) {
        ViewerProcess viewer;
        double seconds = 0;
        if (!Launch(setup, folder, viewer, seconds)) {
            results.problems.push_back("start-up " + std::to_string(i + 1) + ": the window never answered");
            continue;
        }
        samples.push_back(seconds * 1000);
        if (!viewer.Close(kCloseTimeoutMs))
            results.problems.push_back("start-up " + std::to_string(i + 1) + ": the viewer did not close");
    }
    results.startupMs = Median(samples);
    Progress(setup, "start-up median " + std::to_string(results.startupMs) + " ms of " +
                        std::to_string(samples.size()) + " starts");
}

bool MeasureOneClient(const ViewerSetup& setup, const ViewerProcess& viewer, ChannelClient& client,
                      ViewerResults& results) {
    for (long number = 1; number <= kPrefillLines; ++number) {
        if (!client.Print(MakeLine(0, number)))
            return false;
    }
    std::vector<double> latencies;
    latencies.reserve(kTimedLines);
    const double cpuStart = viewer.CpuSeconds();
    const double start = Seconds();
    for (long number = 1; number <= kTimedLines; ++number) {
        double sendSeconds = 0;
        if (!client.Print(MakeLine(1, number), sendSeconds))
            return false;
        latencies.push_back(sendSeconds * 1000);
    }
    const double seconds = Seconds() - start;
    results.oneClientLinesPerSecond = kTimedLines / seconds;
    results.cpuPerLineUs = (viewer.CpuSeconds() - cpuStart) / kTimedLines * 1e6;
    double total = 0;
    for (double latency : latencies)
        total += latency;
    results.latencyMeanMs = total / kTimedLines;
    results.latencyMedianMs = Median(latencies);
    results.latency99Ms = Percentile(latencies, 0.99);
    results.latencyMaxMs = Percentile(latencies, 1);
    Progress(setup, "one client: " + std::to_string(results.oneClientLinesPerSecond) + " lines/s");
    return true;
}

} // namespace

ViewerResults MeasureViewer(const ViewerSetup& setup) {
    ViewerResults results;
    TempFolder folder;
    if (!folder.Valid() ||
        (setup.isDravik && !CopyFileA(setup.exe.c_str(), (folder.Path() + "Dravik.exe").c_str(), FALSE))) {
        results.problems.push_back("could not prepare a temporary folder for " + setup.exe);
        return results;
    }
    ViewerSetup local = setup;
    if (setup.isDravik)
        local.exe = folder.Path() + "Dravik.exe";

    MeasureStartup(local, folder, results);

    ViewerProcess viewer;
    double seconds = 0;
    if (!Launch(local, folder, viewer, seconds)) {
        results.problems.push_back("the viewer did not start for the throughput runs");
        return results;
    }
    if (setup.isDravik && !viewer.WaitShownNormally(kStartTimeoutMs))
        results.problems.push_back("the viewer's window is not visible and shown normally");
    ChannelClient client;
    if (!client.Open() || !MeasureOneClient(local, viewer, client, results)) {
        results.problems.push_back("the one-client run failed: channel not found or a print failed");
        return results;
    }
    if (setup.isDravik)
        CheckPane(viewer, client.RegionText(), "one-client", results);

    std::string problem;
    results.fourClientsLinesPerSecond = RunClients(kClients, kLinesPerClient, problem);
    if (!problem.empty())
        results.problems.push_back("the four-client run failed: " + problem);
    Progress(local, "four clients: " + std::to_string(results.fourClientsLinesPerSecond) + " lines/s");
    if (setup.isDravik)
        CheckPane(viewer, client.RegionText(), "four-client", results);

    if (!viewer.Memory(results.memory))
        results.problems.push_back("GetProcessMemoryInfo failed on the viewer's process");
    if (!viewer.Close(kCloseTimeoutMs))
        results.problems.push_back("the viewer did not close on WM_CLOSE and was ended");
    return results;
}

ViewerResults Typical(const std::vector<ViewerResults>& rounds) {
    ViewerResults typical;
    if (rounds.empty())
        return typical;
    // The median of the rounds that measured the figure; a failed round's 0 does not count.
    const auto median = [&rounds](double ViewerResults::*figure) {
        std::vector<double> values;
        for (const ViewerResults& round : rounds) {
            if (round.*figure > 0)
                values.push_back(round.*figure);
        }
        return Median(values);
    };
    typical.oneClientLinesPerSecond = median(&ViewerResults::oneClientLinesPerSecond);
    typical.fourClientsLinesPerSecond = median(&ViewerResults::fourClientsLinesPerSecond);
    typical.latencyMedianMs = median(&ViewerResults::latencyMedianMs);
    typical.latency99Ms = median(&ViewerResults::latency99Ms);
    typical.latencyMeanMs = median(&ViewerResults::latencyMeanMs);
    typical.latencyMaxMs = median(&ViewerResults::latencyMaxMs);
    typical.cpuPerLineUs = median(&ViewerResults::cpuPerLineUs);
    typical.startupMs = median(&ViewerResults::startupMs);
    // Memory after the last round, when the viewer has run longest.
    typical.memory = rounds.back().memory;
    for (std::size_t i = 0; i < rounds.size(); ++i) {
        const std::string prefix = "round " + std::to_string(i + 1) + ": ";
        for (const std::string& check : rounds[i].checks)
            typical.checks.push_back(prefix + check);
        for (const std::string& problem : rounds[i].problems)
            typical.problems.push_back(prefix + problem);
    }
    return typical;
}

} // namespace bench
