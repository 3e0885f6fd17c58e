#include "measure.h"

#include "clients.h"
#include "clock.h"
#include "stats.h"
#include "workspace.h"

#include <cstdio>
#include <utility>

namespace bench {

namespace {

// Per viewer and round.
const int kStartups = 5;
// The pane takes about 365 lines of 80 characters: 1000 fill it, so every timed line runs the trimming path.
const long kPrefillLines = 1000;
// Per viewer, round and kind of run: blocks of kBlockLines lines, which four clients share in their runs.
const int kBlocks = 4;
const long kBlockLines = 5000;
const int kClients = 4;
// The rest after every block.
const DWORD kSettleMs = 200;
const DWORD kStartTimeoutMs = 20000;
const DWORD kCloseTimeoutMs = 10000;

// Everything measured of one viewer, over one round or all of them.
struct Tally {
    // Lines per second of each block.
    std::vector<double> oneClientRates;
    std::vector<double> fourClientsRates;
    // The lines of the blocks whose processor time could be read.
    long cpuLines = 0;
    double cpuSeconds = 0;
    std::vector<double> latenciesMs;
    std::vector<double> startupsMs;
    MemoryFigures memory;
    int panesChecked = 0;
    std::vector<std::string> problems;

    void Add(const Tally& round, int number) {
        oneClientRates.insert(oneClientRates.end(), round.oneClientRates.begin(), round.oneClientRates.end());
        fourClientsRates.insert(fourClientsRates.end(), round.fourClientsRates.begin(),
                                round.fourClientsRates.end());
        cpuLines += round.cpuLines;
        cpuSeconds += round.cpuSeconds;
        latenciesMs.insert(latenciesMs.end(), round.latenciesMs.begin(), round.latenciesMs.end());
        startupsMs.insert(startupsMs.end(), round.startupsMs.begin(), round.startupsMs.end());
        memory = round.memory;
        panesChecked += round.panesChecked;
        const std::string prefix = "round " + std::to_string(number) + ": ";
        for (const std::string& problem : round.problems)
            problems.push_back(prefix + problem);
    }
};

double PerSecond(long lines, double seconds) {
    return seconds > 0 ? lines / seconds : 0;
}

// One viewer within a round: its own folder, its process and the bench's own client of it.
struct Contestant {
    explicit Contestant(const ViewerSetup& setup) : setup(setup), viewer(setup.names) {}

    ViewerSetup setup;
    TempFolder folder;
    ViewerProcess viewer;
    ChannelClient client;
    long linesSent = 0;
    Tally tally;
};

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

// Sanity check that nothing was dropped: Dravik's pane must end with the last line any client sent it. It is
// read at once, as a user's glance would; if that fails, a second look tells a late pane from a lost line.
void CheckPane(Contestant& dravik, const std::string& run) {
    const std::string lastSent = dravik.client.RegionText();
    const std::string expected = lastSent + "\r\n";
    std::string text;
    if (!lastSent.empty() && dravik.viewer.ReadPane(text) && EndsWith(text, expected)) {
        ++dravik.tally.panesChecked;
        return;
    }
    Sleep(500);
    const bool late = dravik.viewer.ReadPane(text) && EndsWith(text, expected);
    dravik.tally.problems.push_back(
        "MISMATCH after a " + run + " block: the pane did not end with the last line sent \"" + lastSent +
        "\"" +
        (late ? "; it did 500 ms later."
              : ", not even 500 ms later; its last line is \"" + LastLine(text) + "\"."));
}

bool Launch(Contestant& contestant, ViewerProcess& viewer, double& seconds) {
    // Both viewers start in the same conditions; only Dravik reads the settings and the log.
    if (!DeleteViewerSettings() || !WriteWholeFile(contestant.folder.Path() + "DebugLog.txt", LogText()))
        return false;
    for (const auto& setting : contestant.setup.settings)
        if (!SetViewerSetting(setting.first, setting.second))
            return false;
    if (!viewer.Start(contestant.setup.exe, contestant.setup.arguments, contestant.folder.Path()))
        return false;
    seconds = viewer.WaitAnswering(kStartTimeoutMs);
    return seconds > 0;
}

void MeasureStartup(Contestant& contestant) {
    ViewerProcess viewer(contestant.setup.names);
    double seconds = 0;
    const std::string number = std::to_string(contestant.tally.startupsMs.size() + 1);
    if (!Launch(contestant, viewer, seconds)) {
        contestant.tally.problems.push_back("start-up " + number + ": the window never answered");
        return;
    }
    contestant.tally.startupsMs.push_back(seconds * 1000);
    Progress(contestant.setup, "start-up: " + std::to_string(seconds * 1000) + " ms");
    if (!viewer.Close(kCloseTimeoutMs))
        contestant.tally.problems.push_back("start-up " + number + ": the viewer did not close");
}

bool Prefill(Contestant& contestant) {
    for (long number = 1; number <= kPrefillLines; ++number) {
        if (!contestant.client.Print(MakeLine(0, number)))
            return false;
    }
    return true;
}

// A block ends once the viewer has answered a question about its text: Dravik then has its edit control in
// step, so the time of that catching up counts. Returns the block's seconds, negative if the viewer failed.
// Both viewers then rest, so that neither one's late work (Dravik's redrawing, say) falls into the other's
// block.
double EndBlock(const Contestant& contestant, double start) {
    if (!contestant.viewer.AskTextLength())
        return -1;
    const double seconds = Seconds() - start;
    Sleep(kSettleMs);
    return seconds;
}

void RecordRate(const Contestant& contestant, const char* run, double seconds, std::vector<double>& rates) {
    rates.push_back(PerSecond(kBlockLines, seconds));
    Progress(contestant.setup, std::string(run) + ": " + std::to_string(rates.back()) + " lines/s");
}

bool OneClientBlock(Contestant& contestant) {
    Tally& tally = contestant.tally;
    const double cpuStart = contestant.viewer.CpuSeconds();
    const double start = Seconds();
    for (long i = 0; i < kBlockLines; ++i) {
        double sendSeconds = 0;
        if (!contestant.client.Print(MakeLine(1, ++contestant.linesSent), sendSeconds))
            return false;
        tally.latenciesMs.push_back(sendSeconds * 1000);
    }
    const double seconds = EndBlock(contestant, start);
    if (seconds < 0)
        return false;
    // Taken after the rest, so that drawing left over from the block counts too.
    const double cpuEnd = contestant.viewer.CpuSeconds();
    if (cpuStart >= 0 && cpuEnd >= 0) {
        tally.cpuSeconds += cpuEnd - cpuStart;
        tally.cpuLines += kBlockLines;
    }
    RecordRate(contestant, "one client", seconds, tally.oneClientRates);
    return true;
}

bool FourClientsBlock(Contestant& contestant, ClientGroup& group, std::size_t block) {
    const double start = Seconds();
    const double seconds = group.RunBlock(block) ? EndBlock(contestant, start) : -1;
    if (seconds < 0)
        return false;
    RecordRate(contestant, "four clients", seconds, contestant.tally.fourClientsRates);
    return true;
}

bool RunBlocks(Contestant& dravik, Contestant& null, const std::string& order, std::string& problem) {
    for (char letter : order) {
        Contestant& contestant = letter == 'D' ? dravik : null;
        if (!OneClientBlock(contestant)) {
            problem = "a one-client block to the " + contestant.setup.name + " failed";
            return false;
        }
        if (letter == 'D')
            CheckPane(dravik, "one-client");
    }
    ClientGroup group(kClients, kBlockLines / kClients, order);
    if (!group.Start(problem))
        return false;
    for (std::size_t block = 0; block < order.size(); ++block) {
        Contestant& contestant = order[block] == 'D' ? dravik : null;
        if (!FourClientsBlock(contestant, group, block)) {
            problem = "a four-client block to the " + contestant.setup.name + " did not finish in time";
            return false;
        }
        if (order[block] == 'D')
            CheckPane(dravik, "four-client");
    }
    return group.Finish(problem);
}

void RunRound(int round, Contestant& dravik, Contestant& null) {
    Contestant* turns[] = {&null, &dravik};
    if (round % 2 == 1)
        std::swap(turns[0], turns[1]);
    for (int i = 0; i < kStartups; ++i) {
        for (Contestant* contestant : turns)
            MeasureStartup(*contestant);
    }
    for (Contestant* contestant : turns) {
        double seconds = 0;
        if (!Launch(*contestant, contestant->viewer, seconds) ||
            !contestant->client.Open(contestant->setup.names) || !Prefill(*contestant)) {
            contestant->tally.problems.push_back(
                "did not start, or its channel failed, for the throughput runs");
            return;
        }
    }
    if (!dravik.viewer.WaitShownNormally(kStartTimeoutMs))
        dravik.tally.problems.push_back("the viewer's window is not visible and shown normally");
    std::string problem;
    if (!RunBlocks(dravik, null, BlockOrder(round), problem)) {
        dravik.tally.problems.push_back("the round was cut short: " + problem);
        return;
    }
    for (Contestant* contestant : turns) {
        if (!contestant->viewer.Memory(contestant->tally.memory))
            contestant->tally.problems.push_back("GetProcessMemoryInfo failed on the viewer's process");
        if (!contestant->viewer.Close(kCloseTimeoutMs))
            contestant->tally.problems.push_back("the viewer did not close on WM_CLOSE and was ended");
    }
}

ViewerResults Summarise(const Tally& tally) {
    ViewerResults results;
    // The median block: the machine's load changes from second to second, and a block that met a busy
    // moment would weigh the more in a total the longer it took.
    results.oneClientLinesPerSecond = Median(tally.oneClientRates);
    results.fourClientsLinesPerSecond = Median(tally.fourClientsRates);
    if (!tally.latenciesMs.empty()) {
        double total = 0;
        for (double latency : tally.latenciesMs)
            total += latency;
        results.latencyMeanMs = total / static_cast<double>(tally.latenciesMs.size());
    }
    results.latencyMedianMs = Median(tally.latenciesMs);
    results.latency99Ms = Percentile(tally.latenciesMs, 0.99);
    results.latencyMaxMs = Percentile(tally.latenciesMs, 1);
    results.cpuPerLineUs = tally.cpuLines > 0 ? tally.cpuSeconds / tally.cpuLines * 1e6 : 0;
    results.startupMs = Median(tally.startupsMs);
    results.memory = tally.memory;
    results.panesChecked = tally.panesChecked;
    results.problems = tally.problems;
    return results;
}

// Both viewers start in the same conditions: from a fresh copy in a folder of their own, on the same drive.
bool RunFromOwnFolder(Contestant& contestant) {
    if (!contestant.folder.Valid())
        return false;
    const std::string& from = contestant.setup.exe;
    const std::string copy = contestant.folder.Path() + from.substr(from.find_last_of("\\/") + 1);
    if (!CopyFileA(from.c_str(), copy.c_str(), FALSE))
        return false;
    contestant.setup.exe = copy;
    return true;
}

// The same start, lines and question as in a round, then the memory.
void MeasureShownNull(const ViewerSetup& nullSetup, RunResults& results) {
    ViewerSetup setup = nullSetup;
    setup.name = "null viewer, shown";
    setup.arguments += " --show";
    Contestant shown(setup);
    double seconds = 0;
    std::vector<std::string>& problems = results.shownNullProblems;
    if (!RunFromOwnFolder(shown) || !Launch(shown, shown.viewer, seconds) ||
        !shown.client.Open(setup.names) || !Prefill(shown)) {
        problems.push_back("did not start, or its channel failed");
        return;
    }
    if (!shown.viewer.WaitShownNormally(kStartTimeoutMs))
        problems.push_back("its window is not visible and shown normally");
    if (!shown.viewer.AskTextLength())
        problems.push_back("it did not answer WM_GETTEXTLENGTH");
    Sleep(kSettleMs);
    if (!shown.viewer.Memory(results.shownNullMemory))
        problems.push_back("GetProcessMemoryInfo failed on the viewer's process");
    else
        Progress(setup,
                 "private bytes: " + std::to_string(results.shownNullMemory.privateBytes / 1024) + " KiB");
    if (!shown.viewer.Close(kCloseTimeoutMs))
        problems.push_back("the viewer did not close on WM_CLOSE and was ended");
    if (!problems.empty())
        results.shownNullMemory = MemoryFigures();
}

double RoundRatio(const std::vector<double>& dravikRates, const std::vector<double>& nullRates) {
    const double null = Median(nullRates);
    return null > 0 ? Median(dravikRates) / null : 0;
}

} // namespace

std::string BlockOrder(int round) {
    std::string order;
    for (unsigned block = 0; block < 2 * kBlocks; ++block) {
        unsigned parity = static_cast<unsigned>(round) & 1u;
        for (unsigned bits = block; bits != 0; bits >>= 1)
            parity ^= bits & 1u;
        order += parity != 0 ? 'D' : 'N';
    }
    return order;
}

RunResults MeasureInTurns(const ViewerSetup& dravikSetup, const ViewerSetup& nullSetup, int rounds) {
    RunResults results;
    Tally dravikTotal;
    Tally nullTotal;
    for (int round = 0; round < rounds; ++round) {
        std::printf("Round %d of %d\n", round + 1, rounds);
        std::fflush(stdout);
        // Both viewers are closed at the end of the round, or ended if a failure cut it short.
        Contestant null(nullSetup);
        Contestant dravik(dravikSetup);
        if (!RunFromOwnFolder(null) || !RunFromOwnFolder(dravik)) {
            dravikTotal.problems.push_back("could not prepare the temporary folders");
            break;
        }
        RunRound(round, dravik, null);
        results.oneClientRatios.push_back(RoundRatio(dravik.tally.oneClientRates, null.tally.oneClientRates));
        results.fourClientsRatios.push_back(
            RoundRatio(dravik.tally.fourClientsRates, null.tally.fourClientsRates));
        dravikTotal.Add(dravik.tally, round + 1);
        nullTotal.Add(null.tally, round + 1);
    }
    results.dravik = Summarise(dravikTotal);
    results.null = Summarise(nullTotal);
    MeasureShownNull(nullSetup, results);
    return results;
}

} // namespace bench
