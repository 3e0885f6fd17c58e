// Several processes with several threads each print at once: every line must arrive once, whole, in its
// thread's order, with the pieces of a long line next to each other.
#include "client_tests.h"

#include "dravik/client.h"

#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace e2e {

namespace {

const char* const kStartEvent = "DravikSelftestStart";
const int kChildren = 4;
const int kThreads = 2;
const int kLines = 150;

// Every 25th line is long enough to be cut in two; the rest vary in length so that a torn or overwritten
// text cannot pass for another.
std::string ProducerLine(int child, int thread, int index) {
    std::string prefix =
        "c" + std::to_string(child) + "-t" + std::to_string(thread) + "-" + std::to_string(index) + " ";
    std::size_t filler = index % 25 == 0 ? 5000 : static_cast<std::size_t>((index * 37 + child * 11) % 300);
    return prefix + Pattern(filler, static_cast<char>('a' + (child * 7 + thread * 3 + index) % 26));
}

std::vector<std::string> Pieces(const std::string& line) {
    std::vector<std::string> pieces;
    for (std::size_t start = 0; start == 0 || start < line.size(); start += 4094)
        pieces.push_back("PRINT " + line.substr(start, 4094));
    return pieces;
}

struct Producer {
    int child;
    int thread;
    int lines;
    int failures = 0;
};

DWORD WINAPI ProduceLines(void* parameter) {
    auto* producer = static_cast<Producer*>(parameter);
    TKernelHandle start(OpenEventA(SYNCHRONIZE, FALSE, kStartEvent));
    if (start)
        WaitForSingleObject(start.Get(), 10000);
    for (int index = 0; index < producer->lines; ++index)
        if (dravik_print(ProducerLine(producer->child, producer->thread, index).c_str()) != DRAVIK_OK)
            ++producer->failures;
    return 0;
}

// Reads the "c<child>-t<thread>-<index> " that ProducerLine puts first (no sscanf: MSVC refuses it at /W4).
bool ParsePrefix(const std::string& record, int& child, int& thread, int& index) {
    const char lead[] = "PRINT c";
    if (record.compare(0, sizeof lead - 1, lead) != 0)
        return false;
    const char* at = record.c_str() + sizeof lead - 1;
    char* end = nullptr;
    child = static_cast<int>(std::strtol(at, &end, 10));
    if (end == at || end[0] != '-' || end[1] != 't')
        return false;
    at = end + 2;
    thread = static_cast<int>(std::strtol(at, &end, 10));
    if (end == at || *end != '-')
        return false;
    at = end + 1;
    index = static_cast<int>(std::strtol(at, &end, 10));
    return end != at && *end == ' ';
}

// Walks the records once, matching each to the next line expected from the producer its prefix names.
void CheckInterleaving(const std::vector<std::string>& records) {
    std::map<std::pair<int, int>, int> next;
    for (std::size_t i = 0; i < records.size();) {
        int child = -1, thread = -1, index = -1;
        if (!ParsePrefix(records[i], child, thread, index)) {
            FAIL("record " + std::to_string(i) + " names no producer: " + ToText(records[i]));
            return;
        }
        int& expectedIndex = next[std::make_pair(child, thread)];
        if (!CHECK_EQ(index, expectedIndex))
            return;
        for (const std::string& piece : Pieces(ProducerLine(child, thread, index))) {
            if (i >= records.size() || !CHECK_EQ(records[i], piece))
                return;
            ++i;
        }
        ++expectedIndex;
    }
    CHECK_EQ(static_cast<int>(next.size()), kChildren * kThreads);
    for (const auto& producer : next)
        CHECK_EQ(producer.second, kLines);
}

void ManyProcessesAndThreads() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "concurrent.txt")))
        return;
    // Children wait for one signal, so that their prints overlap instead of running one after another.
    TKernelHandle start(CreateEventA(nullptr, TRUE, FALSE, kStartEvent));
    std::vector<StartedProgram> children;
    for (int child = 0; child < kChildren; ++child) {
        children.emplace_back("\"" + OwnPath() + "\" --child-print " + std::to_string(child) + " " +
                              std::to_string(kThreads) + " " + std::to_string(kLines));
        CHECK(children.back().Started());
    }
    Sleep(500); // let every child reach its wait
    SetEvent(start.Get());
    for (const StartedProgram& child : children) {
        CHECK(child.Wait(60000));
        CHECK_EQ(child.ExitCode(), 0ul);
    }
    CheckInterleaving(viewer.Records());
}

// One thread of a program that prints while its viewer is closed and another one started.
struct Burst {
    int thread = 0;
    volatile LONG* stop = nullptr;
    std::vector<int> statuses; // of each line, by its index
};

std::string BurstLine(int thread, std::size_t index) {
    return "burst t" + std::to_string(thread) + " " + std::to_string(index);
}

DWORD WINAPI PrintBurst(void* parameter) {
    auto* burst = static_cast<Burst*>(parameter);
    while (InterlockedCompareExchange(burst->stop, 0, 0) == 0)
        burst->statuses.push_back(dravik_print(BurstLine(burst->thread, burst->statuses.size()).c_str()));
    return 0;
}

bool ParseBurstRecord(const std::string& record, int& thread, int& index) {
    const char lead[] = "PRINT burst t";
    if (record.compare(0, sizeof lead - 1, lead) != 0)
        return false;
    const char* at = record.c_str() + sizeof lead - 1;
    char* end = nullptr;
    thread = static_cast<int>(std::strtol(at, &end, 10));
    if (end == at || *end != ' ')
        return false;
    at = end + 1;
    index = static_cast<int>(std::strtol(at, &end, 10));
    return end != at && *end == 0;
}

// Threads keep printing while the viewer is closed and another one started: every line answered DRAVIK_OK
// arrives once, whole and in its thread's order, at the first viewer and then at the second; a line answered
// otherwise arrives nowhere, and no answer is other than DRAVIK_OK or DRAVIK_NO_VIEWER.
void ViewerRestartedWithinABurst() {
    const int threads = 4;
    NullViewer first, second;
    if (!CHECK(first.Start(Scratch() + "burst-first.txt")))
        return;
    volatile LONG stop = 0;
    std::vector<Burst> bursts(threads);
    std::vector<TKernelHandle> running;
    for (int thread = 0; thread < threads; ++thread) {
        bursts[thread].thread = thread;
        bursts[thread].stop = &stop;
        running.emplace_back(CreateThread(nullptr, 0, PrintBurst, &bursts[thread], 0, nullptr));
        CHECK(running.back().Valid());
    }
    Sleep(300);
    first.Close();
    Sleep(100);
    const bool restarted = CHECK(second.Start(Scratch() + "burst-second.txt"));
    Sleep(300);
    InterlockedExchange(&stop, 1);
    for (const TKernelHandle& thread : running) {
        if (thread)
            CHECK(WaitForSingleObject(thread.Get(), 30000) == WAIT_OBJECT_0);
    }
    if (!restarted)
        return;

    const std::vector<std::string> atFirst = first.Records(), atSecond = second.Records();
    std::vector<std::vector<int>> arrived(threads);
    for (const std::vector<std::string>* records : {&atFirst, &atSecond}) {
        for (const std::string& record : *records) {
            int thread = -1, index = -1;
            if (!ParseBurstRecord(record, thread, index) || thread < 0 || thread >= threads) {
                FAIL("not a line of the burst: " + ToText(record));
                return;
            }
            arrived[thread].push_back(index);
        }
    }
    CHECK(!atFirst.empty() && !atSecond.empty());
    for (int thread = 0; thread < threads; ++thread) {
        std::vector<int> sent;
        const std::vector<int>& statuses = bursts[thread].statuses;
        for (std::size_t index = 0; index < statuses.size(); ++index) {
            if (statuses[index] == DRAVIK_OK)
                sent.push_back(static_cast<int>(index));
            else if (statuses[index] != DRAVIK_NO_VIEWER)
                FAIL(BurstLine(thread, index) + ": " + dravik_strerror(statuses[index]));
        }
        CHECK_MSG(arrived[thread] == sent, "thread " + std::to_string(thread) + ": " +
                                               std::to_string(sent.size()) + " lines answered DRAVIK_OK, " +
                                               std::to_string(arrived[thread].size()) + " arrived");
    }
}

} // namespace

int ChildPrint(int child, int threads, int lines) {
    std::vector<Producer> producers;
    for (int thread = 0; thread < threads; ++thread)
        producers.push_back(Producer{child, thread, lines});
    std::vector<TKernelHandle> running;
    for (Producer& producer : producers)
        running.emplace_back(CreateThread(nullptr, 0, ProduceLines, &producer, 0, nullptr));
    int failures = 0;
    for (std::size_t i = 0; i < running.size(); ++i) {
        if (!running[i]) {
            ++failures;
            continue;
        }
        WaitForSingleObject(running[i].Get(), INFINITE);
        failures += producers[i].failures;
    }
    return failures == 0 ? 0 : 1;
}

void RunConcurrencyTests() {
    RunTest("4 processes x 2 threads printing at once", ManyProcessesAndThreads);
    RunTest("a viewer restarted within a burst of prints from 4 threads", ViewerRestartedWithinABurst);
}

} // namespace e2e
