// Windows' own debug output in the viewer: programs that call OutputDebugStringA, one, two and eight at once,
// with the Capture Windows Output switch on and off, Debug Output off, and another reader of the channel.
// Started with --say or --flood, this program is one of those senders instead.
#include "harness/faults.h"
#include "harness/fixture.h"
#include "harness/process.h"
#include "harness/ui.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

using namespace e2e;

namespace {

const std::string kOtherReader = "Windows debug output is already captured by another program";
// Capture Windows Output among the menu's items, separators left out.
const std::size_t kCaptureItem = 13;
// A sender is held up when a reader does not answer: OutputDebugStringA then waits up to 10 s.
const DWORD kHeldUpMs = 5000;

// --- The senders ------------------------------------------------------------------------------------------

// Sends the text and tells whether the call came back before a sender counts as held up.
bool Say(const std::string& text) {
    const DWORD start = GetTickCount();
    OutputDebugStringA(text.c_str());
    return GetTickCount() - start < kHeldUpMs;
}

// "\n" and "\r" in a command line stand for LF and CR.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'r'))
            out += text[++i] == 'n' ? '\n' : '\r';
        else
            out += text[i];
    }
    return out;
}

bool WaitForGate(const char* name) {
    TKernelHandle gate(OpenEventA(SYNCHRONIZE, FALSE, name));
    return gate.Valid() && WaitForSingleObject(gate.Get(), 30000) == WAIT_OBJECT_0;
}

std::string FloodLine(int sender, int number) {
    char text[32];
    std::snprintf(text, sizeof text, "s%d %04d", sender, number);
    return text;
}

// The lines of one of the eight senders: whole, in two pieces, and two in one message.
int Flood(int sender, int count) {
    bool quick = true;
    for (int k = 0; k < count;) {
        if (k % 3 == 0) {
            quick = Say(FloodLine(sender, k++) + "\n") && quick;
        } else if (k % 3 == 1) {
            quick = Say(FloodLine(sender, k++)) && quick;
            quick = Say("\r\n") && quick;
        } else {
            std::string two = FloodLine(sender, k++) + "\r\n";
            if (k < count)
                two += FloodLine(sender, k++) + "\r\n";
            quick = Say(two) && quick;
        }
    }
    return quick ? 0 : 2;
}

// The sender side: e2e-capture --say GATE DONE TEXT, or --flood GATE SENDER COUNT. Exit code 2 when a call
// was held up.
int SenderMain(int argc, char** argv) {
    const std::string mode = argv[1];
    if (mode == "--say" && argc == 5) {
        if (!WaitForGate(argv[2]))
            return 3;
        const bool quick = Say(Unescaped(argv[4]));
        TKernelHandle done(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]));
        if (done.Valid())
            SetEvent(done.Get());
        return quick ? 0 : 2;
    }
    if (mode == "--flood" && argc == 5)
        return WaitForGate(argv[2]) ? Flood(std::atoi(argv[3]), std::atoi(argv[4])) : 3;
    return 1;
}

// Another copy of this program as a sender, waiting at a gate of ours.
StartedProgram Sender(const std::string& arguments) {
    return StartedProgram("\"" + OwnFolder() + "e2e-capture.exe\" " + arguments);
}

// The sender's exit code, or -1 when it did not end in time.
long Finish(const StartedProgram& sender, DWORD timeoutMs) {
    return sender.Wait(timeoutMs) ? static_cast<long>(sender.ExitCode()) : -1;
}

std::string OwnTag(const char* what) {
    return std::string("DravikCaptureTest") + what + std::to_string(GetCurrentProcessId());
}

// --- Another reader ---------------------------------------------------------------------------------------

// The reader's side of the channel, as another debug output viewer holds it; or a probe of whether anyone
// holds it.
class OtherReader {
  public:
    OtherReader() {
        bufferReady_ = Created(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"));
        dataReady_ = Created(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
        mapping_ = Created(
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER"));
        if (mapping_.Valid())
            view_ = TMappedView(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 4096));
    }
    bool Valid() const { return bufferReady_.Valid() && dataReady_.Valid() && view_.Valid(); }
    // Someone had made the channel's objects before.
    bool FoundExisting() const { return existed_; }
    // Reads a message this process sends: the channel works for this reader.
    std::string Echo(const std::string& text) {
        SetEvent(bufferReady_.Get());
        OutputDebugStringA(text.c_str());
        if (WaitForSingleObject(dataReady_.Get(), 5000) != WAIT_OBJECT_0)
            return "<nothing read>";
        const char* const bytes = static_cast<const char*>(view_.Get());
        DWORD sender = 0;
        CopyMemory(&sender, bytes, sizeof sender);
        return std::to_string(sender) + " " + std::string(bytes + sizeof sender);
    }

  private:
    TKernelHandle Created(HANDLE handle) {
        existed_ = existed_ || (handle != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
        return TKernelHandle(handle);
    }
    bool existed_ = false;
    TKernelHandle bufferReady_;
    TKernelHandle dataReady_;
    TKernelHandle mapping_;
    TMappedView view_;
};

bool ChannelHeld() {
    return OtherReader().FoundExisting();
}

// --- A sender that speaks the channel's protocol itself -------------------------------------------------

// Sends as OutputDebugString does, but knows whether its message was handed to a reader: it takes the
// channel's mutex, finds the buffer, waits until the reader has it ready, writes the process id and the text,
// and signals the reader before it lets the mutex go.
class ProtocolSender {
  public:
    enum class Sent { Handed, NoChannel, NotReady };
    ProtocolSender() {
        mutex_ = TKernelHandle(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "DBWinMutex"));
        if (!mutex_.Valid())
            mutex_ = TKernelHandle(CreateMutexA(nullptr, FALSE, "DBWinMutex"));
    }
    Sent Send(const std::string& text) {
        const DWORD turn = WaitForSingleObject(mutex_.Get(), 10000);
        if (turn != WAIT_OBJECT_0 && turn != WAIT_ABANDONED)
            return Sent::NotReady;
        Sent sent = Sent::NoChannel;
        {
            TKernelHandle mapping(OpenFileMappingA(FILE_MAP_WRITE, FALSE, "DBWIN_BUFFER"));
            TKernelHandle bufferReady(OpenEventA(SYNCHRONIZE, FALSE, "DBWIN_BUFFER_READY"));
            TKernelHandle dataReady(OpenEventA(EVENT_MODIFY_STATE, FALSE, "DBWIN_DATA_READY"));
            TMappedView view(mapping.Valid() ? MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0)
                                             : nullptr);
            if (view.Valid() && bufferReady.Valid() && dataReady.Valid()) {
                sent = Sent::NotReady;
                if (WaitForSingleObject(bufferReady.Get(), 2000) == WAIT_OBJECT_0) {
                    const DWORD self = GetCurrentProcessId();
                    char* const buffer = static_cast<char*>(view.Get());
                    CopyMemory(buffer, &self, sizeof self);
                    CopyMemory(buffer + sizeof self, text.c_str(), text.size() + 1);
                    SetEvent(dataReady.Get());
                    sent = Sent::Handed;
                }
            }
        }
        ReleaseMutex(mutex_.Get());
        return sent;
    }

  private:
    TKernelHandle mutex_;
};

// One of four senders that flood the channel until it is gone, keeping the lines that were handed.
struct Flooder {
    int id = 0;
    int next = 0;
    std::vector<std::string> handed;
    int notReady = 0;
};

DWORD WINAPI FloodUntilReleased(void* parameter) {
    Flooder& flooder = *static_cast<Flooder*>(parameter);
    ProtocolSender sender;
    // Bounded: the lines of one round stay well within the pane's capacity.
    for (int k = 0; k < 300; ++k) {
        const std::string line = "w" + std::to_string(flooder.id) + " " + std::to_string(flooder.next++);
        const ProtocolSender::Sent sent = sender.Send(line + "\n");
        if (sent == ProtocolSender::Sent::NoChannel)
            break;
        if (sent == ProtocolSender::Sent::Handed)
            flooder.handed.push_back(line);
        else
            ++flooder.notReady;
        Sleep(1);
    }
    return 0;
}

// How many messages the pane's dropped lines count.
long DroppedCount(const std::string& pane) {
    long dropped = 0;
    for (const std::string& line : SplitLines(pane)) {
        const std::size_t words = line.find(" of Windows debug output w");
        if (words != std::string::npos && line.find(" dropped: the viewer fell behind") != std::string::npos)
            dropped += std::atol(line.substr(0, line.find(' ')).c_str());
    }
    return dropped;
}

// Whether DBWIN_DATA_READY is signalled with no sender in the middle of a message: a message nobody reads.
bool DataLeftUnread() {
    TKernelHandle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "DBWinMutex"));
    if (!mutex.Valid() || WaitForSingleObject(mutex.Get(), 5000) != WAIT_OBJECT_0)
        return false;
    TKernelHandle dataReady(OpenEventA(SYNCHRONIZE, FALSE, "DBWIN_DATA_READY"));
    const bool left = dataReady.Valid() && WaitForSingleObject(dataReady.Get(), 0) == WAIT_OBJECT_0;
    ReleaseMutex(mutex.Get());
    return left;
}

// --- Working the viewer -----------------------------------------------------------------------------------

bool StartCapturing(ViewerRun& run, const char* setting) {
    return CHECK(DeleteSettings()) && CHECK(SetSetting("CaptureWindowsOutput", setting)) && StartViewer(run);
}

void CheckMark(ViewerRun& run, bool expected) {
    std::vector<MenuItemLook> items;
    if (LookAtMenu(run.Window(), run.ProcessId(), items))
        CHECK_MSG(items[kCaptureItem].checked == expected,
                  expected ? "Capture Windows Output unchecked" : "... checked");
}

// Chooses Capture Windows Output by its letter.
bool ChooseCapture(ViewerRun& run) {
    // By its position: its letter W is Network's too, and a letter two items share only moves between them.
    return CHECK(ChooseFromMenu(run.Window(), run.ProcessId(), '\r', static_cast<int>(kCaptureItem) + 1));
}

std::string Own(const std::string& text) {
    return "[" + std::to_string(GetCurrentProcessId()) + "] " + text + "\r\n";
}

// --- Tests ------------------------------------------------------------------------------------------------

void LinesOfOneProcessAndOfTwo() {
    ViewerRun run;
    if (!StartCapturing(run, "1"))
        return;
    const HWND viewer = run.Window();
    CHECK(Say("one\tcolumn\r\ntwo\rthree\nempty next\r\n\r\n"));
    std::string expected = Own("one\tcolumn") + Own("two") + Own("three") + Own("empty next") + Own("");
    CHECK(WaitForPane(viewer, expected));

    // Another process's line between the two pieces of ours: neither mixes with the other.
    TKernelHandle gate(CreateEventA(nullptr, TRUE, FALSE, OwnTag("Go").c_str()));
    TKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, OwnTag("Done").c_str()));
    const StartedProgram other =
        Sender("--say " + OwnTag("Go") + " " + OwnTag("Done") + " \"other process\\n\"");
    if (!CHECK(other.Started()))
        return;
    CHECK(Say("frame took "));
    SetEvent(gate.Get());
    CHECK(WaitForSingleObject(done.Get(), 10000) == WAIT_OBJECT_0);
    CHECK(Say("3 ms\n"));
    expected += "[" + std::to_string(other.Id()) + "] other process\r\n" + Own("frame took 3 ms");
    CHECK(WaitForPane(viewer, expected));
    CHECK_EQ(Finish(other, 10000), 0);

    // Text without a line break: a line of its own after one second, not before.
    const DWORD sent = GetTickCount();
    CHECK(Say("left alone"));
    Sleep(500);
    CHECK_EQ(PaneText(viewer), expected);
    expected += Own("left alone");
    CHECK(WaitForPane(viewer, expected, 5000));
    CHECK_MSG(GetTickCount() - sent >= 1000,
              "printed after " + std::to_string(GetTickCount() - sent) + " ms");

    // Debug Output off: the senders go on at once, and nothing reaches the pane, not even later.
    CHECK(ClickControl(viewer, kCbDebugOutput));
    CHECK(Say("while off\n"));
    CHECK(Say("waiting while off"));
    Sleep(1500);
    CHECK(ClickControl(viewer, kCbDebugOutput));
    CHECK(Say("back on\n"));
    expected += Own("back on");
    CHECK(WaitForPane(viewer, expected));
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(run.LogPath()), expected);

    // The history holds the same lines, each with its process's id and name and the text as it was sent.
    // The other process had ended by then, but this test still holds it: its id was not another's yet.
    const std::string self = std::to_string(GetCurrentProcessId()) + " e2e-capture.exe\t";
    const std::string otherSelf = std::to_string(other.Id()) + " e2e-capture.exe\t";
    CHECK_EQ(HistoryEntries(run.LogPath()),
             (std::vector<std::string>{self + "one\tcolumn", self + "two", self + "three",
                                       self + "empty next", self, otherSelf + "other process",
                                       self + "frame took 3 ms", self + "left alone", self + "back on"}));
}

void EightSendersAtOnce() {
    ViewerRun run;
    if (!StartCapturing(run, "1"))
        return;
    // 8 x 150 lines of about 17 characters stay below the pane's capacity: every line must be there.
    const int kSenders = 8;
    const int kLines = 150;
    TKernelHandle gate(CreateEventA(nullptr, TRUE, FALSE, OwnTag("Flood").c_str()));
    std::vector<StartedProgram> senders;
    std::map<std::string, int> senderOfHead;
    for (int i = 0; i < kSenders; ++i) {
        senders.push_back(
            Sender("--flood " + OwnTag("Flood") + " " + std::to_string(i) + " " + std::to_string(kLines)));
        if (!CHECK(senders.back().Started()))
            return;
        senderOfHead["[" + std::to_string(senders.back().Id()) + "] s" + std::to_string(i)] = i;
    }
    SetEvent(gate.Get());
    for (int i = 0; i < kSenders; ++i)
        CHECK_MSG(Finish(senders[i], 60000) == 0, "sender " + std::to_string(i) + " was held up or failed");

    std::string pane;
    WaitFor(
        [&] {
            pane = PaneText(run.Window());
            std::size_t lines = 0;
            for (char c : pane)
                lines += c == '\n';
            return lines >= static_cast<std::size_t>(kSenders * kLines);
        },
        10000);
    // Every sender's lines, each whole, numbered without a gap.
    std::vector<int> next(kSenders, 0);
    std::size_t start = 0;
    while (start < pane.size()) {
        const std::size_t end = pane.find("\r\n", start);
        if (!CHECK_MSG(end != std::string::npos, "the pane does not end with a line break"))
            return;
        const std::string line = pane.substr(start, end - start);
        start = end + 2;
        const auto sender = senderOfHead.find(line.substr(0, line.find(' ', line.find(' ') + 1)));
        if (!CHECK_MSG(sender != senderOfHead.end(), "stray line " + ToText(line)))
            return;
        const int i = sender->second;
        const std::string due = "[" + std::to_string(senders[i].Id()) + "] " + FloodLine(i, next[i]);
        if (!CHECK_EQ(line, due))
            return;
        ++next[i];
    }
    for (int i = 0; i < kSenders; ++i)
        CHECK_MSG(next[i] == kLines,
                  "sender " + std::to_string(i) + ": " + std::to_string(next[i]) + " lines");
    CHECK(run.Close());
}

// Four senders flood while the switch goes off and on again, 20 times: every message a sender handed to the
// viewer is in the pane or counted as dropped, and no message is left in the buffer unread.
void TheSwitchGoingOffLosesNoMessage() {
    ViewerRun run;
    if (!StartCapturing(run, "1"))
        return;
    const int kRounds = 20;
    long handedInAll = 0;
    for (int round = 0; round < kRounds; ++round) {
        Flooder flooders[4];
        std::vector<TKernelHandle> threads;
        for (int i = 0; i < 4; ++i) {
            flooders[i].id = i;
            flooders[i].next = round * 1000;
            threads.emplace_back(CreateThread(nullptr, 0, FloodUntilReleased, &flooders[i], 0, nullptr));
        }
        Sleep(30);
        const bool chosen = ChooseCapture(run);
        for (const TKernelHandle& thread : threads)
            CHECK(thread.Valid() && WaitForSingleObject(thread.Get(), 60000) == WAIT_OBJECT_0);
        if (!chosen || !CHECK(WaitFor([] { return SettingOrAbsent("CaptureWindowsOutput") == "0"; }, 5000)))
            return;
        CHECK_MSG(!DataLeftUnread(), "round " + std::to_string(round) + ": a message was left in the buffer");

        const std::string pane = PaneText(run.Window());
        long missing = 0;
        for (const Flooder& flooder : flooders) {
            handedInAll += static_cast<long>(flooder.handed.size());
            for (const std::string& line : flooder.handed)
                missing += pane.find(Own(line)) == std::string::npos ? 1 : 0;
        }
        if (!CHECK_MSG(missing <= DroppedCount(pane), "round " + std::to_string(round) + ": " +
                                                          std::to_string(missing) +
                                                          " handed lines are missing"))
            return;
        if (!ChooseCapture(run) ||
            !CHECK(WaitFor([] { return SettingOrAbsent("CaptureWindowsOutput") == "1"; }, 5000)))
            return;
    }
    Figure("capture_switch_rounds_handed", handedInAll);
    CHECK(run.Close());
}

// A local program that writes into the channel's buffer over and over, text and zero bytes in turn.
struct Racer {
    char* text;
    volatile LONG stop;
};

DWORD WINAPI Race(void* parameter) {
    Racer& racer = *static_cast<Racer*>(parameter);
    while (racer.stop == 0) {
        FillMemory(racer.text, 60, 'z');
        racer.text[60] = 0;
        ZeroMemory(racer.text, 60);
    }
    return 0;
}

// A local program writing into the channel's buffer while the viewer copies a message out of it: whatever
// the copy holds, no zero byte reaches the pane or the log.
void ARacingWriterNeverPutsAZeroIntoThePane() {
    ViewerRun run;
    if (!StartCapturing(run, "1"))
        return;
    TKernelHandle mapping(OpenFileMappingA(FILE_MAP_WRITE, FALSE, "DBWIN_BUFFER"));
    TMappedView view(mapping.Valid() ? MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr);
    if (!CHECK(view.Valid()))
        return;
    Racer racer{static_cast<char*>(view.Get()) + sizeof(DWORD), 0};
    const TKernelHandle thread(CreateThread(nullptr, 0, Race, &racer, 0, nullptr));
    if (!CHECK(thread.Valid()))
        return;
    for (int i = 0; i < 300; ++i)
        OutputDebugStringA("raced");
    InterlockedExchange(&racer.stop, 1);
    WaitForSingleObject(thread.Get(), INFINITE);
    CHECK(Say("\nafter the race\n"));
    CHECK(WaitFor([&] { return PaneText(run.Window()).find(Own("after the race")) != std::string::npos; },
                  5000));
    const std::string pane = PaneText(run.Window());
    CHECK(run.Close());
    const std::string log = FileOrAbsent(run.LogPath());
    CHECK_MSG(log.find('\0') == std::string::npos, "a zero byte in the log");
    CHECK_EQ(log, pane);
}

void AnotherReaderAndTheSettingAcrossRuns() {
    std::unique_ptr<OtherReader> other = std::make_unique<OtherReader>();
    if (!CHECK(other->Valid()) || !CHECK_MSG(!other->FoundExisting(), "the channel has a reader already"))
        return;
    ViewerRun run;
    if (!StartCapturing(run, "1"))
        return;
    const HWND viewer = run.Window();
    // Saved on, but the channel is taken: said in the pane, and the other reader keeps every message.
    CHECK(WaitForPane(viewer, kOtherReader + "\r\n"));
    CheckMark(run, false);
    CHECK_EQ(other->Echo("still mine"), std::to_string(GetCurrentProcessId()) + " still mine");

    // Turned on by the user: the general error display, and the switch stays off.
    if (!ChooseCapture(run))
        return;
    CheckErrorBox(TakeBox(run.ProcessId(), 10000), kOtherReader + ".", "capture turned on");
    CheckMark(run, false);
    CHECK_EQ(SettingOrAbsent("CaptureWindowsOutput"), "1");
    CHECK_EQ(other->Echo("mine again"), std::to_string(GetCurrentProcessId()) + " mine again");

    // Once the other reader has gone, the switch takes the channel.
    other.reset();
    if (!ChooseCapture(run))
        return;
    CheckMark(run, true);
    CHECK_EQ(SettingOrAbsent("CaptureWindowsOutput"), "1");
    CHECK(Say("now captured\n"));
    CHECK(WaitForPane(viewer, kOtherReader + "\r\n" + Own("now captured")));
    CHECK(run.Close());

    // The next run captures from the start...
    if (!StartViewer(run))
        return;
    CHECK(ChannelHeld());
    CHECK(Say("second run\n"));
    CHECK(WaitForPane(run.Window(), kOtherReader + "\r\n" + Own("now captured") + Own("second run")));
    // ... until the switch goes off, which releases the channel at once.
    if (!ChooseCapture(run))
        return;
    CHECK_EQ(SettingOrAbsent("CaptureWindowsOutput"), "0");
    CHECK_MSG(!ChannelHeld(), "the channel was not released");
    CheckMark(run, false);
    CHECK(run.Close());
    if (!StartViewer(run))
        return;
    CHECK_MSG(!ChannelHeld(), "a viewer saved with the switch off took the channel");
    CHECK(run.Close());
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        return SenderMain(argc, argv);
    RunTest("lines of one process and of two", LinesOfOneProcessAndOfTwo);
    RunTest("eight senders at once", EightSendersAtOnce);
    RunTest("the switch going off loses no message", TheSwitchGoingOffLosesNoMessage);
    RunTest("a racing writer never puts a zero into the pane", ARacingWriterNeverPutsAZeroIntoThePane);
    RunTest("another reader, and the setting across runs", AnotherReaderAndTheSettingAcrossRuns);
    return Finish();
}
