// Measures Dravik.exe against the null viewer (a window of the same class and region that only copies each
// text out and answers 0), both started afresh from this program's folder, and prints the table of figures.
//
//   dravik-bench [--rounds N] [--markdown FILE] [--figures FILE]
//
// The viewers take turns for N rounds (default 5), so that both meet the same changes in the machine's load;
// the table shows the median of each viewer's rounds.
// --markdown writes the table and the checks as Markdown, --figures one tab-separated line per figure.
// Exit code 0 when everything could be measured and every check passed, whether or not the targets are met.
#include "clients.h"
#include "measure.h"
#include "report.h"
#include "workspace.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double kMiB = 1024.0 * 1024.0;

std::vector<bench::Row> MakeRows(const bench::ViewerResults& dravik, const bench::ViewerResults& null) {
    using bench::Row;
    return {
        Row{"One client", "lines/s", dravik.oneClientLinesPerSecond, null.oneClientLinesPerSecond, true, 0.9,
            0},
        Row{"Four clients", "lines/s", dravik.fourClientsLinesPerSecond, null.fourClientsLinesPerSecond, true,
            0.9, 0},
        Row{"Print latency, median", "ms", dravik.latencyMedianMs, null.latencyMedianMs, false, 1.2, 3},
        Row{"Print latency, 99th percentile", "ms", dravik.latency99Ms, null.latency99Ms, false, 0, 3},
        Row{"Print latency, mean", "ms", dravik.latencyMeanMs, null.latencyMeanMs, false, 0, 3},
        Row{"Print latency, longest", "ms", dravik.latencyMaxMs, null.latencyMaxMs, false, 0, 1},
        Row{"Viewer processor time per line, one client", "us", dravik.cpuPerLineUs, null.cpuPerLineUs, false,
            0, 0},
        Row{"Start-up, median", "ms", dravik.startupMs, null.startupMs, false, 1.5, 0},
        Row{"Private bytes", "MiB", dravik.memory.privateBytes / kMiB, null.memory.privateBytes / kMiB, false,
            2, 1},
        Row{"Committed private regions (VirtualQueryEx)", "MiB", dravik.memory.committedPrivate / kMiB,
            null.memory.committedPrivate / kMiB, false, 0, 1},
        Row{"Working set", "MiB", dravik.memory.workingSet / kMiB, null.memory.workingSet / kMiB, false, 0,
            1},
    };
}

std::string CheckList(const bench::ViewerResults& dravik, const bench::ViewerResults& null) {
    std::string text;
    for (const std::string& problem : dravik.problems)
        text += "- **Dravik: " + problem + "**\n";
    for (const std::string& problem : null.problems)
        text += "- **null viewer: " + problem + "**\n";
    for (const std::string& check : dravik.checks)
        text += "- Dravik: " + check + "\n";
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
    if (argc == 5 && std::string(argv[1]) == "--client")
        return bench::ClientMain(argv[2], std::atoi(argv[3]), std::atol(argv[4]));

    const char* markdownFile = nullptr;
    const char* figuresFile = nullptr;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--markdown" && i + 1 < argc)
            markdownFile = argv[++i];
        else if (option == "--figures" && i + 1 < argc)
            figuresFile = argv[++i];
        else if (option == "--rounds" && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            rounds = std::atoi(argv[++i]);
        else {
            std::fputs("usage: dravik-bench [--rounds N] [--markdown FILE] [--figures FILE]\n", stderr);
            return 1;
        }
    }

    const std::string folder = bench::OwnFolder();
    std::vector<bench::ViewerResults> nullRounds;
    std::vector<bench::ViewerResults> dravikRounds;
    for (int round = 1; round <= rounds; ++round) {
        std::printf("Round %d of %d\n", round, rounds);
        std::fflush(stdout);
        // The null viewer first: should it leave a window behind, Dravik's single-instance rule would show
        // it.
        nullRounds.push_back(bench::MeasureViewer({"null viewer", folder + "null-viewer.exe", "-", false}));
        dravikRounds.push_back(bench::MeasureViewer({"Dravik", folder + "Dravik.exe", "", true}));
    }
    const bench::ViewerResults null = bench::Typical(nullRounds);
    const bench::ViewerResults dravik = bench::Typical(dravikRounds);

    const std::vector<bench::Row> rows = MakeRows(dravik, null);
    const std::string checks = CheckList(dravik, null);
    const std::string markdown = bench::MarkdownTable(rows) + "\n" + checks;
    std::printf("\n%s", markdown.c_str());
    std::fflush(stdout);

    bool written = true;
    if (markdownFile != nullptr)
        written = WriteText(markdownFile, markdown) && written;
    if (figuresFile != nullptr)
        written = WriteText(figuresFile, bench::FigureLines(rows)) && written;
    if (!written)
        std::fputs("dravik-bench: could not write the result files\n", stderr);
    return written && dravik.problems.empty() && null.problems.empty() ? 0 : 1;
}
