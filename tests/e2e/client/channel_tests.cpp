// The header against a running stand-in viewer: what arrives, what is refused, and how long calls take.
#include "client_tests.h"

#include "harness/registry.h"

#include "dravik/client.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace e2e {

namespace {

using Records = std::vector<std::string>;

std::string Print(const std::string& text) {
    return "PRINT " + text;
}

std::string PrintUtf8(const std::string& text) {
    return "PRINTUTF8 " + text;
}

// The UTF-8 prints among the records, each at most the region's 4094 bytes and starting with a character (no
// piece starts inside one), joined.
std::string JoinedUtf8Pieces(const Records& records, std::size_t first, std::size_t count) {
    std::string joined;
    for (std::size_t i = first; i < first + count && i < records.size(); ++i) {
        const std::string text = records[i].substr(10);
        CHECK_MSG(records[i].compare(0, 10, "PRINTUTF8 ") == 0, records[i].substr(0, 20));
        CHECK_MSG(text.size() <= 4094, std::to_string(text.size()));
        CHECK_MSG(text.empty() || (static_cast<unsigned char>(text[0]) & 0xC0) != 0x80, "cut in a character");
        joined += text;
    }
    return joined;
}

void NoViewerReturnsAtOnce() {
    if (!CHECK(FindWindowA("TfrmDebug", "Korvane Dravik") == nullptr)) // needs a desktop without a viewer
        return;
    DWORD start = GetTickCount();
    CHECK_EQ(dravik_print("nobody listens"), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_printf("%d", 1), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_clear(), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_load("a.txt"), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_save("a.txt"), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_setlog("a.txt"), DRAVIK_NO_VIEWER);
    CHECK(GetTickCount() - start < 500);
}

// 0, 4094, 4095 and 10000 characters arrive whole, as 1, 1, 2 and 3 lines, in order.
void TextLengthsAroundTheRegionSize() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "lengths.txt")))
        return;
    std::string full = Pattern(4094, 'a'), overOne = Pattern(4095, 'b'), long10000 = Pattern(10000, 'c');
    CHECK_EQ(dravik_print(""), DRAVIK_OK);
    CHECK_EQ(dravik_print(full.c_str()), DRAVIK_OK);
    CHECK_EQ(dravik_print(overOne.c_str()), DRAVIK_OK);
    CHECK_EQ(dravik_print(long10000.c_str()), DRAVIK_OK);
    Records expected = {Print(""),
                        Print(full),
                        Print(overOne.substr(0, 4094)),
                        Print(overOne.substr(4094)),
                        Print(long10000.substr(0, 4094)),
                        Print(long10000.substr(4094, 4094)),
                        Print(long10000.substr(8188))};
    CHECK_EQ(viewer.Records(), expected);
}

// Formatting past the stack buffer still delivers the whole result. To a viewer without the UTF-8 mark (an
// older one), Unicode text arrives as PRINT in the system's code page (1252 under Wine here), with "?" for
// every character the code page cannot hold: no look-alikes, and one "?" for a character beyond the Basic
// Multilingual Plane (two UTF-16 units) as for any other.
void PrintfAndWideText() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "printf.txt", "--no-utf8")))
        return;
    std::string body = Pattern(4990, 'd');
    CHECK_EQ(dravik_printf("%s=%d, %s", "x", -42, "done"), DRAVIK_OK);
    CHECK_EQ(dravik_printf("%s", ""), DRAVIK_OK);
    CHECK_EQ(dravik_printf("%s|%05d", body.c_str(), 7), DRAVIK_OK); // 4997 characters
    CHECK_EQ(dravik_printf(nullptr), DRAVIK_ERROR);
    std::string whole = body + "|00007";
    Records expected = {Print("x=-42, done"), Print(""), Print(whole.substr(0, 4094)),
                        Print(whole.substr(4094))};

    if (!CHECK_EQ(GetACP(), 1252u))
        return;
    CHECK_EQ(dravik_wprint(L"caf\u00e9 \u20ac|\u03a9|\u0101|\u4e2d|\U0001F600|\xD800|end"), DRAVIK_OK);
    CHECK_EQ(dravik_wprint(L""), DRAVIK_OK);
    CHECK_EQ(dravik_wprintf(L"%ls=%d, %hs", L"\u00e9t\u00e9", 7, "narrow"), DRAVIK_OK);
    // 5000 characters, each fifth an e acute: past both the wide and the 8-bit stack buffer.
    std::wstring longWide;
    std::string longNarrow;
    for (char c : Pattern(5000, 'w')) {
        bool accent = longWide.size() % 5 == 4;
        longWide += accent ? L'\u00e9' : static_cast<wchar_t>(c);
        longNarrow += accent ? '\xe9' : c;
    }
    CHECK_EQ(dravik_wprint(longWide.c_str()), DRAVIK_OK);
    CHECK_EQ(dravik_wprintf(L"%ls", longWide.c_str()), DRAVIK_OK);
    CHECK_EQ(dravik_wprint(nullptr), DRAVIK_ERROR);
    CHECK_EQ(dravik_wprintf(nullptr), DRAVIK_ERROR);
    // UTF-8 goes the same way, even invalid: a byte that is no UTF-8 is one "?".
    CHECK_EQ(dravik_print_utf8("caf\xC3\xA9 \xE2\x82\xAC|\xCE\xA9|\xF0\x9F\x98\x80|\xFF|end"), DRAVIK_OK);
    CHECK_EQ(dravik_printf_utf8("%s=%d", "\xC3\xA9t\xC3\xA9", 7), DRAVIK_OK);
    Records wide = {Print("caf\xe9 \x80|?|?|?|?|?|end"),
                    Print(""),
                    Print("\xe9t\xe9=7, narrow"),
                    Print(longNarrow.substr(0, 4094)),
                    Print(longNarrow.substr(4094)),
                    Print(longNarrow.substr(0, 4094)),
                    Print(longNarrow.substr(4094)),
                    Print("caf\xe9 \x80|?|?|?|end"),
                    Print("\xe9t\xe9=7")};
    expected.insert(expected.end(), wide.begin(), wide.end());
    CHECK_EQ(viewer.Records(), expected);
}

// A viewer with the UTF-8 mark gets Unicode text exactly, in UTF-8, and a UTF-8 text longer than the region
// cut between characters; plain PRINT stays as it was.
void Utf8ToAViewerThatTakesIt() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "utf8.txt")))
        return;
    CHECK_EQ(dravik_wprint(L"caf\u00e9 \u20ac|\u03a9|\u4e2d|\U0001F600|\xD800|end"), DRAVIK_OK);
    CHECK_EQ(dravik_wprintf(L"%ls=%d", L"\u00e9t\u00e9", 7), DRAVIK_OK);
    CHECK_EQ(dravik_wprint(L""), DRAVIK_OK);
    CHECK_EQ(dravik_print_utf8("\xCE\xA9 ok"), DRAVIK_OK);
    CHECK_EQ(dravik_printf_utf8("%s|%d", "\xE4\xB8\xAD", 3), DRAVIK_OK);
    CHECK_EQ(dravik_print("caf\xe9"), DRAVIK_OK);
    CHECK_EQ(dravik_print_utf8(nullptr), DRAVIK_ERROR);
    CHECK_EQ(dravik_printf_utf8(nullptr), DRAVIK_ERROR);
    // The euro sign's three bytes would straddle the end of the first piece.
    const std::string straddling = Pattern(4093, 'a') + "\xE2\x82\xAC" + "b";
    CHECK_EQ(dravik_print_utf8(straddling.c_str()), DRAVIK_OK);
    // 5000 characters, each fifth a CJK one of three bytes: 7000 bytes, past every stack buffer.
    std::wstring longWide;
    std::string longUtf8;
    for (char c : Pattern(5000, 'w')) {
        bool wideOne = longWide.size() % 5 == 4;
        longWide += wideOne ? L'\u4e2d' : static_cast<wchar_t>(c);
        longUtf8 += wideOne ? std::string("\xE4\xB8\xAD") : std::string(1, c);
    }
    CHECK_EQ(dravik_wprint(longWide.c_str()), DRAVIK_OK);
    const Records records = viewer.Records();
    const Records expected = {PrintUtf8("caf\xC3\xA9 \xE2\x82\xAC|\xCE\xA9|\xE4\xB8\xAD|\xF0\x9F\x98\x80|"
                                        "\xEF\xBF\xBD|end"),
                              PrintUtf8("\xC3\xA9t\xC3\xA9=7"),
                              PrintUtf8(""),
                              PrintUtf8("\xCE\xA9 ok"),
                              PrintUtf8("\xE4\xB8\xAD|3"),
                              Print("caf\xe9"),
                              PrintUtf8(Pattern(4093, 'a')),
                              PrintUtf8("\xE2\x82\xAC"
                                        "b")};
    if (!CHECK_EQ(records.size(), expected.size() + 2))
        return;
    CHECK_EQ(Records(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(expected.size())),
             expected);
    CHECK_EQ(JoinedUtf8Pieces(records, expected.size(), 2), longUtf8);
}

// File names go through unchanged or not at all: a cut name would name another file.
void FileCommands() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "files.txt")))
        return;
    std::string longest(4094, 'n'), tooLong(4095, 'n');
    CHECK_EQ(dravik_clear(), DRAVIK_OK);
    CHECK_EQ(dravik_load("C:\\some dir\\in.txt"), DRAVIK_OK);
    CHECK_EQ(dravik_save("out file.txt"), DRAVIK_OK);
    CHECK_EQ(dravik_setlog("log.txt"), DRAVIK_OK);
    CHECK_EQ(dravik_save(longest.c_str()), DRAVIK_OK);
    CHECK_EQ(dravik_save(tooLong.c_str()), DRAVIK_ERROR);
    CHECK_EQ(dravik_load(nullptr), DRAVIK_ERROR);
    CHECK_EQ(dravik_print(nullptr), DRAVIK_ERROR);
    Records expected = {"CLEAR", "LOADFROMFILE C:\\some dir\\in.txt", "SAVETOFILE out file.txt",
                        "SETLOGFILE log.txt", "SAVETOFILE " + longest};
    CHECK_EQ(viewer.Records(), expected);
}

// A region made larger by whoever created it first still carries at most 4094 characters per line.
void LargerRegionKeepsPieceSize() {
    // The view this program keeps of the last viewer's region would keep that region, and its size, alive.
    dravik_disconnect();
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "larger.txt", "--size 65536")))
        return;
    std::string text = Pattern(10000, 'e');
    CHECK_EQ(dravik_print(text.c_str()), DRAVIK_OK);
    Records expected = {Print(text.substr(0, 4094)), Print(text.substr(4094, 4094)),
                        Print(text.substr(8188))};
    CHECK_EQ(viewer.Records(), expected);
}

// The header keeps the viewer between calls, yet a viewer closed and started again is found by the next call:
// straight away, after calls that found none (which return at once), and after dravik_disconnect.
void RestartedViewerIsFoundAgain() {
    NullViewer first, second, third;
    if (!CHECK(first.Start(Scratch() + "first-run.txt")))
        return;
    CHECK_EQ(dravik_print("first"), DRAVIK_OK);
    first.Close();
    if (!CHECK(second.Start(Scratch() + "second-run.txt")))
        return;
    CHECK_EQ(dravik_print("second"), DRAVIK_OK);
    CHECK_EQ(dravik_clear(), DRAVIK_OK);
    second.Close();
    DWORD start = GetTickCount();
    CHECK_EQ(dravik_print("while closed"), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_clear(), DRAVIK_NO_VIEWER);
    CHECK(GetTickCount() - start < 500);
    if (!CHECK(third.Start(Scratch() + "third-run.txt")))
        return;
    CHECK_EQ(dravik_print("third"), DRAVIK_OK);
    dravik_disconnect();
    CHECK_EQ(dravik_print("third again"), DRAVIK_OK);
    CHECK_EQ(first.Records(), Records{Print("first")});
    CHECK_EQ(second.Records(), (Records{Print("second"), "CLEAR"}));
    CHECK_EQ(third.Records(), (Records{Print("third"), Print("third again")}));
}

const char* const kDecoyReady = "DravikSelftestDecoyReady";
const char* const kDecoyHunt = "DravikSelftestDecoyHunt";
const char* const kDecoyHolding = "DravikSelftestDecoyHolding";
const char* const kDecoyQuit = "DravikSelftestDecoyQuit";
// The decoy's exit codes beyond the count of commands it received.
const DWORD kDecoyMissed = 100;
const DWORD kDecoyFailed = 101;

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Window handle values come back: once the viewer has ended, another program's window may carry the very
// handle the header kept, and the commands mean other things to other windows. The decoy (a child process)
// makes its own window take over the ended viewer's handle, and counts the commands that reach it. Under
// Wine a handle's slot is reused last freed first, with a generation counter that wraps after 65534 uses,
// so cycling a menu handle through the slot brings the exact value back in seconds; elsewhere the decoy may
// not get there, and then only checks that nothing reaches its windows.
void EndedViewersHandleTakenOver() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "decoy-viewer.txt")) || !CHECK_EQ(dravik_print("kept"), DRAVIK_OK))
        return;
    TKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, kDecoyReady));
    TKernelHandle hunt(CreateEventA(nullptr, TRUE, FALSE, kDecoyHunt));
    TKernelHandle holding(CreateEventA(nullptr, TRUE, FALSE, kDecoyHolding));
    TKernelHandle quit(CreateEventA(nullptr, TRUE, FALSE, kDecoyQuit));
    // Started while the viewer runs: its first window, and what the system makes with it, must not take the
    // slot the viewer is about to free.
    const StartedProgram decoy("\"" + OwnPath() + "\" --child-decoy " +
                               std::to_string(reinterpret_cast<UINT_PTR>(viewer.Window())));
    if (!CHECK(decoy.Started()) || !CHECK(ready && hunt && holding && quit))
        return;
    HANDLE readyOrEnded[] = {ready.Get(), decoy.Handle()};
    if (!CHECK(WaitForMultipleObjects(2, readyOrEnded, FALSE, 30000) == WAIT_OBJECT_0))
        return;
    viewer.Close();
    SetEvent(hunt.Get());
    HANDLE holdingOrEnded[] = {holding.Get(), decoy.Handle()};
    bool took = WaitForMultipleObjects(2, holdingOrEnded, FALSE, 120000) == WAIT_OBJECT_0;
    // Every command, while a window of another program may carry the kept handle.
    CHECK_EQ(dravik_print("after the end"), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_printf("%s", "after the end"), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_clear(), DRAVIK_NO_VIEWER);
    CHECK_EQ(dravik_save("after the end.txt"), DRAVIK_NO_VIEWER);
    SetEvent(quit.Get());
    const DWORD received = CHECK(decoy.Wait(30000)) ? decoy.ExitCode() : kDecoyFailed;
    if (!took && RunningUnderWine())
        FAIL("the decoy could not take over the viewer's window handle");
    else if (!took)
        std::printf("    (the decoy could not take over the viewer's window handle here)\n");
    CHECK_EQ(received, took ? 0ul : kDecoyMissed);
    CHECK_EQ(viewer.Records(), Records{Print("kept")});
}

// One print made on a thread of its own, with its result and how long it took.
struct TimedCall {
    const char* text;
    int status = -1;
    DWORD elapsed = 0;
};

DWORD WINAPI PrintAndTime(void* parameter) {
    auto* call = static_cast<TimedCall*>(parameter);
    DWORD start = GetTickCount();
    call->status = dravik_print(call->text);
    call->elapsed = GetTickCount() - start;
    return 0;
}

// A viewer that stops pumping messages: the caller waiting for the answer and a second caller waiting for
// the mutex both give up after about the timeout, and the program goes on.
void StalledViewerTimesOut() {
    const unsigned timeout = 500;
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "stalled.txt", "--stall-after 1 --stall-ms 4000")))
        return;
    dravik_set_timeout(timeout);
    CHECK_EQ(dravik_print("answered"), DRAVIK_OK);

    TimedCall waiting{"queued behind a stalled call"};
    DWORD start = GetTickCount();
    TKernelHandle thread(CreateThread(nullptr, 0, PrintAndTime, &waiting, 0, nullptr));
    int status = dravik_print("never answered");
    DWORD elapsed = GetTickCount() - start;
    if (thread)
        WaitForSingleObject(thread.Get(), 10000);
    dravik_set_timeout(0);
    viewer.Kill();

    CHECK(thread.Valid());
    CHECK_EQ(status, DRAVIK_TIMEOUT);
    CHECK(elapsed >= timeout - 20 && elapsed < timeout + 1000);
    CHECK_EQ(waiting.status, DRAVIK_TIMEOUT);
    CHECK(waiting.elapsed < timeout + 1000);
    CHECK_EQ(dravik_print("after the viewer was ended"), DRAVIK_NO_VIEWER);
}

// Clients written without this header serialise through the mutex by its name: while another holds it,
// a print waits no longer than the timeout, and it goes through once the mutex is free again.
void HeldMutexBlocksUntilTimeout() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "held.txt")))
        return;
    // Taken by a wait: the header keeps the mutex open, so creating it does not make this thread its owner.
    TKernelHandle mutex(CreateMutexA(nullptr, FALSE, "DravikClientMutex"));
    if (!CHECK(mutex.Valid()) || !CHECK(WaitForSingleObject(mutex.Get(), 0) == WAIT_OBJECT_0))
        return;
    dravik_set_timeout(300);
    TimedCall blocked{"waited for the mutex"};
    TKernelHandle thread(CreateThread(nullptr, 0, PrintAndTime, &blocked, 0, nullptr));
    if (thread)
        WaitForSingleObject(thread.Get(), 10000);
    ReleaseMutex(mutex.Get());
    CHECK_EQ(blocked.status, DRAVIK_TIMEOUT);
    CHECK(blocked.elapsed >= 280 && blocked.elapsed < 1300);
    CHECK_EQ(dravik_print("free again"), DRAVIK_OK);
    dravik_set_timeout(0);
    CHECK_EQ(viewer.Records(), Records{Print("free again")});
}

// A client that died while holding the mutex must not lock the others out.
void AbandonedMutexIsTakenOver() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "abandoned.txt")))
        return;
    // Without a handle kept open here the mutex would vanish with its owner, and nothing would be abandoned.
    TKernelHandle keepAlive(CreateMutexA(nullptr, FALSE, "DravikClientMutex"));
    const StartedProgram child("\"" + OwnPath() + "\" --child-abandon-mutex");
    if (!CHECK(child.Started()) || !CHECK(child.Wait(10000)))
        return;
    CHECK_EQ(child.ExitCode(), 0ul); // it did hold the mutex when it ended
    CHECK_EQ(dravik_print("after the owner died"), DRAVIK_OK);
    CHECK_EQ(viewer.Records(), Records{Print("after the owner died")});
}

// The timeout is one setting per process, kept where every translation unit and child process sees it.
void TimeoutSetting() {
    CHECK_EQ(dravik_get_timeout(), 2000u);
    dravik_set_timeout(1234);
    CHECK_EQ(dravik_get_timeout(), 1234u);
    dravik_set_timeout(4000000000u);
    CHECK_EQ(dravik_get_timeout(), 999999999u);
    const char* unusable[] = {"0", "-5", "12ab", "", "1000000000", " 100"};
    for (const char* text : unusable) {
        SetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, text);
        const unsigned timeout = dravik_get_timeout();
        CHECK_MSG(timeout == 2000u, std::string("for \"") + text + "\": " + std::to_string(timeout));
    }
    dravik_set_timeout(0);
    CHECK_EQ(GetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, nullptr, 0), 0ul);
}

void LogConnectSetting() {
    // Put back at the end, so that a real viewer's value survives the test.
    std::string kept;
    const bool existed = ReadSetting("LogConnect", kept);
    int on = -1;
    CHECK(SetSetting("LogConnect", "1"));
    CHECK_EQ(dravik_log_connect(&on), DRAVIK_OK);
    CHECK_EQ(on, 1);
    CHECK(SetSetting("LogConnect", "0"));
    CHECK_EQ(dravik_log_connect(&on), DRAVIK_OK);
    CHECK_EQ(on, 0);
    const char* unusable[] = {"", "2", "10", "yes"};
    for (const char* text : unusable) {
        CHECK(SetSetting("LogConnect", text));
        on = -1;
        CHECK_EQ(dravik_log_connect(&on), DRAVIK_ERROR);
        CHECK_EQ(on, 0);
    }
    CHECK(DeleteSetting("LogConnect"));
    on = -1;
    CHECK_EQ(dravik_log_connect(&on), DRAVIK_ERROR);
    CHECK_EQ(on, 0);
    CHECK_EQ(dravik_log_connect(nullptr), DRAVIK_ERROR);
    if (existed)
        SetSetting("LogConnect", kept);
}

} // namespace

void RunChannelTests() {
    RunTest("no viewer: every call returns at once", NoViewerReturnsAtOnce);
    RunTest("texts of 0, 4094, 4095, 10000 characters", TextLengthsAroundTheRegionSize);
    RunTest("printf and the Unicode forms to an older viewer, short and past the stack buffers",
            PrintfAndWideText);
    RunTest("Unicode text in UTF-8 to a viewer that takes it, cut between characters",
            Utf8ToAViewerThatTakesIt);
    RunTest("file commands and over-long names", FileCommands);
    RunTest("a larger region still takes 4094 characters per line", LargerRegionKeepsPieceSize);
    RunTest("a restarted viewer is found again", RestartedViewerIsFoundAgain);
    RunTest("nothing reaches a window that took over an ended viewer's handle", EndedViewersHandleTakenOver);
    RunTest("a stalled viewer makes calls time out", StalledViewerTimesOut);
    RunTest("a mutex held by another client makes calls wait, then time out", HeldMutexBlocksUntilTimeout);
    RunTest("an abandoned mutex is taken over", AbandonedMutexIsTakenOver);
    RunTest("the timeout setting", TimeoutSetting);
    RunTest("reading LogConnect", LogConnectSetting);
}

namespace {

UINT decoyCommands = 0;

LRESULT CALLBACK DecoyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= DRAVIK_MSG_PRINT && message <= DRAVIK_MSG_CLEAR) {
        ++decoyCommands;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeDecoyWindow() {
    return CreateWindowA("DravikSelftestDecoy", "decoy", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// The parts of a window or menu handle under Wine: the slot in the low word, the generation in the high one.
WORD Slot(const void* handle) {
    return LOWORD(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(handle)));
}
WORD Generation(const void* handle) {
    return HIWORD(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(handle)));
}

// Makes a window whose handle equals target: takes menu handles until one lands in target's slot, cycles
// that slot until the generation before target's, and frees it for the window. Null when it cannot.
HWND TakeOverHandle(HWND target) {
    std::vector<HMENU> taken;
    HMENU menu = nullptr;
    while (taken.size() < 20000) {
        menu = CreateMenu();
        if (menu == nullptr || Slot(menu) == Slot(target))
            break;
        taken.push_back(menu);
        menu = nullptr;
    }
    const WORD previous = Generation(target) > 1 ? Generation(target) - 1 : 0xfffe;
    for (int cycles = 0;
         menu != nullptr && Slot(menu) == Slot(target) && Generation(menu) != previous && cycles < 70000;
         ++cycles) {
        DestroyMenu(menu);
        menu = CreateMenu();
    }
    HWND window = nullptr;
    if (menu != nullptr && Slot(menu) == Slot(target) && Generation(menu) == previous) {
        DestroyMenu(menu);
        window = MakeDecoyWindow();
    } else if (menu != nullptr) {
        DestroyMenu(menu);
    }
    for (HMENU other : taken)
        DestroyMenu(other);
    if (window != nullptr && window != target) {
        DestroyWindow(window);
        window = nullptr;
    }
    return window;
}

} // namespace

int ChildDecoy(UINT_PTR target) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DecoyProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DravikSelftestDecoy";
    TKernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, kDecoyReady));
    TKernelHandle hunt(OpenEventA(SYNCHRONIZE, FALSE, kDecoyHunt));
    TKernelHandle holding(OpenEventA(EVENT_MODIFY_STATE, FALSE, kDecoyHolding));
    TKernelHandle quit(OpenEventA(SYNCHRONIZE, FALSE, kDecoyQuit));
    HWND first = nullptr;
    if (!ready || !hunt || !holding || !quit || RegisterClassA(&windowClass) == 0 ||
        (first = MakeDecoyWindow()) == nullptr || !SetEvent(ready.Get()) ||
        WaitForSingleObject(hunt.Get(), 30000) != WAIT_OBJECT_0)
        return static_cast<int>(kDecoyFailed);
    HWND taken = TakeOverHandle(reinterpret_cast<HWND>(target));
    if (taken != nullptr)
        SetEvent(holding.Get());
    // Answers whatever is sent to its windows until told to stop.
    HANDLE stop = quit.Get();
    while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    DestroyWindow(first);
    return taken == nullptr ? static_cast<int>(kDecoyMissed) : static_cast<int>(decoyCommands);
}

} // namespace e2e
