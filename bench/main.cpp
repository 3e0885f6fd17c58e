// Measures Dravik.exe against the null viewer (a window of its own class and region that only copies each
// text out and answers 0), both started afresh from this program's folder; what clients pay per line against
// the bare channel to Dravik; Dravik capturing Windows' own debug output against a minimal reader of that
// channel; the History window over 3000000 lines against a plain reading of the same files; and syslog with
// real peers (see network.h). Prints the tables of figures.
//
//   dravik-bench [--rounds N] [--clients-only | --only-windows-output | --only-history | --only-network]
//                [--markdown FILE]
//                [--figures FILE] [--client-figures FILE]
//
// N rounds (default 5) each start both viewers afresh; within a round the clients take turns between them,
// so that both meet the same changes in the machine's load. The table pools all rounds. Then a second
// table compares what clients pay per line with the bare channel, both to Dravik (see client_cost.h), and
// the rows of Windows' debug output run N rounds of their own, then the History window once, then the
// network.
// --clients-only, --only-windows-output, --only-history and --only-network measure only those.
// --markdown writes the tables and the checks as Markdown, --figures one tab-separated line per figure of
// the first and the last table, --client-figures the same for the second.
// Exit code 0 when everything could be measured and every check passed, whether or not the targets are met.
#include "client_cost.h"
#include "clients.h"
#include "history.h"
#include "history_flood.h"
#include "measure.h"
#include "network.h"
#include "report.h"
#include "windows_output.h"
#include "workspace.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double kMiB = 1024.0 * 1024.0;

std::vector<bench::Row> MakeRows(const bench::RunResults& run) {
    using bench::Row;
    const bench::ViewerResults& dravik = run.dravik;
    const bench::ViewerResults& null = run.null;
    std::vector<Row> rows = {
        // With the history on, as by default.
        Row{"One client", "lines/s", dravik.oneClientLinesPerSecond, null.oneClientLinesPerSecond, true, 0.95,
            0},
        Row{"Four clients", "lines/s", dravik.fourClientsLinesPerSecond, null.fourClientsLinesPerSecond, true,
            0.95, 0},
        Row{"Print latency, median", "ms", dravik.latencyMedianMs, null.latencyMedianMs, false, 1.1, 3},
        Row{"Print latency, 99th percentile", "ms", dravik.latency99Ms, null.latency99Ms, false, 1.2, 3},
        Row{"Print latency, mean", "ms", dravik.latencyMeanMs, null.latencyMeanMs, false, 0, 3},
        Row{"Print latency, longest", "ms", dravik.latencyMaxMs, null.latencyMaxMs, false, 2, 1},
        Row{"Viewer processor time per line, one client", "us", dravik.cpuPerLineUs, null.cpuPerLineUs, false,
            0, 0},
        Row{"Start-up, median", "ms", dravik.startupMs, null.startupMs, false, 1.5, 0},
        // Two decimals: near its bound, one decimal would hide which side of it the ratio is on.
        Row{"Private bytes", "MiB", dravik.memory.privateBytes / kMiB, null.memory.privateBytes / kMiB, false,
            2, 2},
        // Not a target: how much of the private bytes any window that is shown and active costs here.
        Row{"Private bytes, against the null viewer with its window shown", "MiB",
            dravik.memory.privateBytes / kMiB, run.shownNullMemory.privateBytes / kMiB, false, 0, 2},
        Row{"Committed private regions (VirtualQueryEx)", "MiB", dravik.memory.committedPrivate / kMiB,
            null.memory.committedPrivate / kMiB, false, 0, 1},
        Row{"Working set", "MiB", dravik.memory.workingSet / kMiB, null.memory.workingSet / kMiB, false, 0,
            1},
    };
    // A figure without a target that could not be read at all (the processor time, say) is left out; one
    // with a target stays, and fails.
    rows.erase(
        std::remove_if(rows.begin(), rows.end(),
                       [](const Row& row) { return row.target == 0 && (row.dravik <= 0 || row.null <= 0); }),
        rows.end());
    return rows;
}

std::string RatioList(const std::string& what, const std::vector<double>& ratios) {
    std::string text = "- " + what + ":";
    for (double ratio : ratios) {
        char number[32];
        std::snprintf(number, sizeof number, " %.2f", ratio);
        text += number;
    }
    return text + "\n";
}

std::string CheckList(const bench::RunResults& run) {
    const bench::ViewerResults& dravik = run.dravik;
    std::string text;
    for (const std::string& problem : dravik.problems)
        text += "- **Dravik: " + problem + "**\n";
    for (const std::string& problem : run.null.problems)
        text += "- **null viewer: " + problem + "**\n";
    for (const std::string& problem : run.shownNullProblems)
        text += "- **null viewer, shown: " + problem + "**\n";
    if (dravik.panesChecked > 0) {
        text += "- Dravik: after " + std::to_string(dravik.panesChecked) +
                " of its blocks, the pane, read at once, ended with the last line sent.\n";
    }
    return text;
}

std::string ClientSection(const bench::ClientCostResults& clients) {
    std::string text =
        "### Clients against the bare channel, both to Dravik\n\n" +
        bench::MarkdownTable(bench::ClientRows(clients),
                             bench::Columns{"client", "bare channel", "client / bare"}) +
        "\n" + RatioList("Cost per print, header / bare channel in each round", clients.printRatios) +
        RatioList("Cost per print, bare channel with the mutex / without it in each round",
                  clients.mutexedRatios) +
        RatioList("dravik-send -, client / bare channel in each pair of rounds", clients.sendRatios) + "\n";
    for (const std::string& problem : clients.problems)
        text += "- **clients: " + problem + "**\n";
    if (clients.panesChecked > 0) {
        text += "- Clients: after " + std::to_string(clients.panesChecked) +
                " of their rounds, Dravik's pane, read at once, ended with the last line sent.\n";
    }
    return text;
}

std::vector<bench::Row> MakeWindowsOutputRows(const bench::WindowsOutputResults& output) {
    using bench::Row;
    std::vector<Row> rows = {
        Row{"Windows debug output, one sender, against the minimal reader", "messages/s",
            output.dravikOneSender, output.readerOneSender, true, 0.9, 0},
        Row{"Windows debug output, four senders, against the minimal reader", "messages/s",
            output.dravikFourSenders, output.readerFourSenders, true, 0.9, 0},
        Row{"Windows debug output, messages lost of " + std::to_string(output.dravikSent) + " and " +
                std::to_string(output.readerSent) + " sent",
            "messages", static_cast<double>(output.dravikLost), static_cast<double>(output.readerLost), false,
            0, 0, true},
    };
    if (output.memoryLines > 0) {
        // The pane was full before, so the capacity rule leaves nothing to grow but the heap's own slack.
        rows.push_back(Row{"Private bytes after " + std::to_string(output.memoryLines) +
                               " more captured lines, against before them",
                           "MiB", output.after.privateBytes / kMiB, output.before.privateBytes / kMiB, false,
                           1.1, 2});
    }
    return rows;
}

std::string WindowsOutputChecks(const bench::WindowsOutputResults& output) {
    std::string text =
        "\n" + RatioList("One sender, Dravik / minimal reader in each round", output.oneSenderRatios) +
        RatioList("Four senders, Dravik / minimal reader in each round", output.fourSendersRatios) + "\n";
    for (const std::string& problem : output.problems)
        text += "- **Windows debug output: " + problem + "**\n";
    return text;
}

std::vector<bench::Row> MakeHistoryRows(const bench::HistoryResults& history) {
    using bench::Row;
    // A figure that could not be measured counts as the longest wait.
    const auto seconds = [](double value) { return value < 0 ? 60.0 : value; };
    const std::string lines = std::to_string(history.lines);
    return {
        Row{"History window on " + lines + " lines, first rows after opening, against counting the lines",
            "s", seconds(history.firstRows), history.countLines, false, 1, 2, true},
        Row{"History window, every line in the list, against counting the lines", "s",
            seconds(history.fullCount), history.countLines, false, 3, 2, true},
        Row{"History window, a Filter term of 1 row in 1000 (its 300 ms pause included), against a search",
            "s", seconds(history.filter), history.searchText, false, 1, 2, true},
        Row{"History window, Find of the last row's text from the first row, against a search", "s",
            seconds(history.find), history.searchText, false, 1, 2, true},
        Row{"Private bytes with the History window open, more than without it (without)", "MiB",
            (history.with.privateBytes - history.without.privateBytes) / kMiB,
            history.without.privateBytes / kMiB, false, 64, 1, true},
        Row{"Main window's longest answer to WM_NULL while the History window works (before it opened)", "ms",
            history.longestAnswerOpen, history.longestAnswerBefore, false, 100, 1, true},
        Row{"Longest client print while the History window works (before it opened)", "ms",
            history.longestPrintOpen, history.longestPrintBefore, false, 100, 1, true},
    };
}

std::string HistorySection(const bench::HistoryResults& history, const std::vector<bench::Row>& rows) {
    std::string text =
        "\n### History window\n\n" +
        bench::MarkdownTable(rows, bench::Columns{"Dravik", "plain reading, or as said", "-"}) + "\n";
    char line[400];
    std::snprintf(
        line, sizeof line,
        "- %ld lines, %.0f MB in the files; against the plain reading: first rows %.1f, every line %.1f, "
        "filter %.1f, find %.1f times as long.\n- %ld answers to WM_NULL and %ld prints while the window "
        "worked.\n",
        history.lines, history.megabytes, bench::Ratio(rows[0]), bench::Ratio(rows[1]), bench::Ratio(rows[2]),
        bench::Ratio(rows[3]), history.answers, history.prints);
    text += line;
    for (const std::string& problem : history.problems)
        text += "- **History window: " + problem + "**\n";
    return text;
}

std::vector<bench::Row> MakeHistoryFloodRows(const bench::HistoryFloodResults& flood) {
    using bench::Row;
    const std::string flood200000 = "a flood of " + std::to_string(flood.sent) + " lines from four clients";
    return {
        Row{"History after " + flood200000 + ": lines missing, twice or out of their client's order", "lines",
            static_cast<double>(flood.sent - flood.kept + flood.twice + flood.outOfOrder),
            static_cast<double>(flood.sent), false, 0, 0, true},
        Row{"Private bytes after " + flood200000 + ", against before it", "MiB",
            flood.after.privateBytes / kMiB, flood.before.privateBytes / kMiB, false, 1.1, 2},
    };
}

std::string HistoryFloodChecks(const bench::HistoryFloodResults& flood) {
    char caughtUp[160];
    std::snprintf(caughtUp, sizeof caughtUp,
                  "\n- History: %ld of %ld lines found, %ld twice, %ld out of order, %.1f s after the last "
                  "client's end.\n",
                  flood.kept, flood.sent, flood.twice, flood.outOfOrder, flood.catchUpSeconds);
    std::string text = caughtUp;
    for (const std::string& problem : flood.problems)
        text += "- **history: " + problem + "**\n";
    return text;
}

bool WriteText(const char* path, const std::string& text) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::string(argv[1]) == "--client")
        return bench::ClientMain(argv[2], std::atoi(argv[3]), argv[4], std::atol(argv[5]));
    if (argc == 7 && std::string(argv[1]) == "--sender")
        return bench::SenderMain(argv[2], std::atoi(argv[3]), argv[4], std::atol(argv[5]),
                                 std::atoi(argv[6]));

    const char* markdownFile = nullptr;
    const char* figuresFile = nullptr;
    const char* clientFiguresFile = nullptr;
    bool clientsOnly = false;
    bool onlyWindowsOutput = false;
    bool onlyHistory = false;
    bool onlyNetwork = false;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--markdown" && i + 1 < argc)
            markdownFile = argv[++i];
        else if (option == "--figures" && i + 1 < argc)
            figuresFile = argv[++i];
        else if (option == "--client-figures" && i + 1 < argc)
            clientFiguresFile = argv[++i];
        else if (option == "--clients-only")
            clientsOnly = true;
        else if (option == "--only-windows-output")
            onlyWindowsOutput = true;
        else if (option == "--only-history")
            onlyHistory = true;
        else if (option == "--only-network")
            onlyNetwork = true;
        else if (option == "--rounds" && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            rounds = std::atoi(argv[++i]);
        else {
            std::fputs(
                "usage: dravik-bench [--rounds N] [--clients-only | --only-windows-output | --only-history | "
                "--only-network] "
                "[--markdown FILE] [--figures FILE] [--client-figures FILE]\n",
                stderr);
            return 1;
        }
    }

    const std::string folder = bench::OwnFolder();
    std::string markdown;
    std::vector<bench::Row> rows;
    bool measured = true;
    const bench::ChannelNames& nullNames = bench::kNullViewerNames;
    const std::string nullArguments =
        std::string("- --class ") + nullNames.windowClass + " --region " + nullNames.region;
    const bench::ViewerSetup dravikSetup{"Dravik", folder + "Dravik.exe", "", bench::kDravikNames, true, {}};
    const bench::ViewerSetup nullSetup{
        "null viewer", folder + "null-viewer.exe", nullArguments, nullNames, false, {}};
    const bool everything = !clientsOnly && !onlyWindowsOutput && !onlyHistory && !onlyNetwork;
    if (everything) {
        const bench::RunResults run = bench::MeasureInTurns(dravikSetup, nullSetup, rounds);
        rows = MakeRows(run);
        markdown = bench::MarkdownTable(rows) + "\n" +
                   RatioList("One client, Dravik / null viewer in each round", run.oneClientRatios) +
                   RatioList("Four clients, Dravik / null viewer in each round", run.fourClientsRatios) +
                   "\n" + CheckList(run) + "\n";
        measured = run.dravik.problems.empty() && run.null.problems.empty() && run.shownNullProblems.empty();

        const bench::HistoryFloodResults flood = bench::MeasureHistoryFlood(folder + "Dravik.exe");
        const std::vector<bench::Row> floodRows = MakeHistoryFloodRows(flood);
        rows.insert(rows.end(), floodRows.begin(), floodRows.end());
        markdown += "### The history\n\n" +
                    bench::MarkdownTable(floodRows, bench::Columns{"Dravik", "sent or before", "ratio"}) +
                    HistoryFloodChecks(flood) + "\n";
        measured = measured && flood.problems.empty();
    }
    bench::ClientCostResults clients;
    if (everything || clientsOnly) {
        clients = bench::MeasureClientCost(folder + "Dravik.exe", folder + "dravik-send.exe");
        markdown += ClientSection(clients);
        measured = measured && clients.problems.empty();
    }
    if (everything || onlyWindowsOutput) {
        const bench::WindowsOutputResults output = bench::MeasureWindowsOutput(folder + "Dravik.exe", rounds);
        const std::vector<bench::Row> outputRows = MakeWindowsOutputRows(output);
        rows.insert(rows.end(), outputRows.begin(), outputRows.end());
        markdown +=
            "\n### Windows debug output\n\n" +
            bench::MarkdownTable(outputRows, bench::Columns{"Dravik", "minimal reader", "Dravik / reader"}) +
            WindowsOutputChecks(output);
        measured = measured && output.problems.empty();
    }
    if (everything || onlyHistory) {
        const bench::HistoryResults history = bench::MeasureHistory(folder + "Dravik.exe");
        const std::vector<bench::Row> historyRows = MakeHistoryRows(history);
        rows.insert(rows.end(), historyRows.begin(), historyRows.end());
        markdown += HistorySection(history, historyRows);
        measured = measured && history.problems.empty();
    }
    if (everything || onlyNetwork) {
        // The clients' rounds with forwarding repeat those of the first table: fewer of them will do.
        const bench::NetworkResults network = bench::MeasureNetwork(dravikSetup, nullSetup, (rounds + 1) / 2);
        const std::vector<bench::Row> networkRows = bench::NetworkRows(network);
        const std::vector<bench::Row> forwardingRows = bench::ForwardingClientRows(network);
        rows.insert(rows.end(), networkRows.begin(), networkRows.end());
        rows.insert(rows.end(), forwardingRows.begin(), forwardingRows.end());
        markdown += "\n### Syslog over the network\n\n" +
                    bench::MarkdownTable(networkRows, bench::Columns{"Dravik", "sent", "Dravik / sent"}) +
                    "\n" + bench::MarkdownTable(forwardingRows) + "\n" +
                    RatioList("One client forwarding, Dravik / null viewer in each round",
                              network.clients.oneClientRatios) +
                    RatioList("Four clients forwarding, Dravik / null viewer in each round",
                              network.clients.fourClientsRatios) +
                    "\n" + bench::NetworkNotes(network);
        measured = measured && network.problems.empty() && network.clients.dravik.problems.empty() &&
                   network.clients.null.problems.empty();
    }
    std::printf("\n%s", markdown.c_str());
    std::fflush(stdout);

    bool written = true;
    if (markdownFile != nullptr)
        written = WriteText(markdownFile, markdown) && written;
    if (figuresFile != nullptr && !clientsOnly)
        written = WriteText(figuresFile, bench::FigureLines(rows)) && written;
    if (clientFiguresFile != nullptr && (everything || clientsOnly))
        written = WriteText(clientFiguresFile, bench::FigureLines(bench::ClientRows(clients))) && written;
    if (!written)
        std::fputs("dravik-bench: could not write the result files\n", stderr);
    return written && measured ? 0 : 1;
}
