// The header against a running stand-in viewer: what arrives, what is refused, and how long calls take.
#include "Tests.h"

#include "dravik/client.h"

#include <cstring>
#include <vector>

namespace {

using Records = std::vector<std::string>;

std::string Print(const std::string& text) {
    return "PRINT " + text;
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
    if (!CHECK(viewer.Start(Scratch().File("lengths.txt"))))
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

// Formatting past the stack buffer still delivers the whole result.
void PrintfShortAndLong() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch().File("printf.txt"))))
        return;
    std::string body = Pattern(4990, 'd');
    CHECK_EQ(dravik_printf("%s=%d, %s", "x", -42, "done"), DRAVIK_OK);
    CHECK_EQ(dravik_printf("%s", ""), DRAVIK_OK);
    CHECK_EQ(dravik_printf("%s|%05d", body.c_str(), 7), DRAVIK_OK); // 4997 characters
    CHECK_EQ(dravik_printf(nullptr), DRAVIK_ERROR);
    std::string whole = body + "|00007";
    Records expected = {Print("x=-42, done"), Print(""), Print(whole.substr(0, 4094)),
                        Print(whole.substr(4094))};
    CHECK_EQ(viewer.Records(), expected);
}

// File names go through unchanged or not at all: a cut name would name another file.
void FileCommands() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch().File("files.txt"))))
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
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch().File("larger.txt"), "--size 65536")))
        return;
    std::string text = Pattern(10000, 'e');
    CHECK_EQ(dravik_print(text.c_str()), DRAVIK_OK);
    Records expected = {Print(text.substr(0, 4094)), Print(text.substr(4094, 4094)),
                        Print(text.substr(8188))};
    CHECK_EQ(viewer.Records(), expected);
}

// Nothing is cached between calls: a viewer started again is found, with its new region.
void RestartedViewerIsFoundAgain() {
    std::string firstFile = Scratch().File("first-run.txt"), secondFile = Scratch().File("second-run.txt");
    NullViewer first;
    if (!CHECK(first.Start(firstFile)))
        return;
    CHECK_EQ(dravik_print("before"), DRAVIK_OK);
    first.Close();
    CHECK_EQ(dravik_print("while closed"), DRAVIK_NO_VIEWER);
    NullViewer second;
    if (!CHECK(second.Start(secondFile)))
        return;
    CHECK_EQ(dravik_print("after"), DRAVIK_OK);
    CHECK_EQ(first.Records(), Records{Print("before")});
    CHECK_EQ(second.Records(), Records{Print("after")});
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
    if (!CHECK(viewer.Start(Scratch().File("stalled.txt"), "--stall-after 1 --stall-ms 4000")))
        return;
    dravik_set_timeout(timeout);
    CHECK_EQ(dravik_print("answered"), DRAVIK_OK);

    TimedCall waiting{"queued behind a stalled call"};
    DWORD start = GetTickCount();
    UniqueHandle thread(CreateThread(nullptr, 0, PrintAndTime, &waiting, 0, nullptr));
    int status = dravik_print("never answered");
    DWORD elapsed = GetTickCount() - start;
    if (thread)
        WaitForSingleObject(thread.get(), 10000);
    dravik_set_timeout(0);
    viewer.Kill();

    CHECK(thread != nullptr);
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
    if (!CHECK(viewer.Start(Scratch().File("held.txt"))))
        return;
    UniqueHandle mutex(CreateMutexA(nullptr, TRUE, "DravikClientMutex"));
    if (!CHECK(mutex != nullptr))
        return;
    dravik_set_timeout(300);
    TimedCall blocked{"waited for the mutex"};
    UniqueHandle thread(CreateThread(nullptr, 0, PrintAndTime, &blocked, 0, nullptr));
    if (thread)
        WaitForSingleObject(thread.get(), 10000);
    ReleaseMutex(mutex.get());
    CHECK_EQ(blocked.status, DRAVIK_TIMEOUT);
    CHECK(blocked.elapsed >= 280 && blocked.elapsed < 1300);
    CHECK_EQ(dravik_print("free again"), DRAVIK_OK);
    dravik_set_timeout(0);
    CHECK_EQ(viewer.Records(), Records{Print("free again")});
}

// A client that died while holding the mutex must not lock the others out.
void AbandonedMutexIsTakenOver() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch().File("abandoned.txt"))))
        return;
    // Without a handle kept open here the mutex would vanish with its owner, and nothing would be abandoned.
    UniqueHandle keepAlive(CreateMutexA(nullptr, FALSE, "DravikClientMutex"));
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    UniqueHandle child = StartProcess("\"" + std::string(self) + "\" --child-abandon-mutex");
    if (!CHECK(child != nullptr) || !CHECK(WaitForSingleObject(child.get(), 10000) == WAIT_OBJECT_0))
        return;
    DWORD exitCode = 1;
    GetExitCodeProcess(child.get(), &exitCode);
    CHECK_EQ(exitCode, 0ul); // it did hold the mutex when it ended
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
        if (!CHECK_EQ(dravik_get_timeout(), 2000u))
            ReportFailure(__FILE__, __LINE__, std::string("for \"") + text + "\"");
    }
    dravik_set_timeout(0);
    CHECK_EQ(GetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, nullptr, 0), 0ul);
}

// Restores the setting as it was, so that a real viewer's value survives the test.
class SavedLogConnect {
  public:
    SavedLogConnect() {
        // The view the viewer and the header use, whichever build this is.
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, DRAVIK_SETTINGS_KEY, 0, nullptr, 0,
                            KEY_READ | KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof value_;
        existed_ = RegQueryValueExA(key_, "LogConnect", nullptr, &type_, value_, &size) == ERROR_SUCCESS;
        size_ = size;
    }
    ~SavedLogConnect() {
        if (key_ == nullptr)
            return;
        if (existed_)
            RegSetValueExA(key_, "LogConnect", 0, type_, value_, size_);
        else
            RegDeleteValueA(key_, "LogConnect");
        RegCloseKey(key_);
    }
    SavedLogConnect(const SavedLogConnect&) = delete;
    SavedLogConnect& operator=(const SavedLogConnect&) = delete;

    bool Usable() const { return key_ != nullptr; }
    void Set(const char* text) {
        RegSetValueExA(key_, "LogConnect", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
    }
    void Remove() { RegDeleteValueA(key_, "LogConnect"); }

  private:
    HKEY key_ = nullptr;
    bool existed_ = false;
    DWORD type_ = 0;
    BYTE value_[256] = {};
    DWORD size_ = 0;
};

void LogConnectSetting() {
    SavedLogConnect saved;
    if (!CHECK(saved.Usable()))
        return;
    int on = -1;
    saved.Set("1");
    CHECK_EQ(dravik_log_connect(&on), DRAVIK_OK);
    CHECK_EQ(on, 1);
    saved.Set("0");
    CHECK_EQ(dravik_log_connect(&on), DRAVIK_OK);
    CHECK_EQ(on, 0);
    const char* unusable[] = {"", "2", "10", "yes"};
    for (const char* text : unusable) {
        saved.Set(text);
        on = -1;
        CHECK_EQ(dravik_log_connect(&on), DRAVIK_ERROR);
        CHECK_EQ(on, 0);
    }
    saved.Remove();
    on = -1;
    CHECK_EQ(dravik_log_connect(&on), DRAVIK_ERROR);
    CHECK_EQ(on, 0);
    CHECK_EQ(dravik_log_connect(nullptr), DRAVIK_ERROR);
}

} // namespace

void RunChannelTests(TestResults& results) {
    RunTest(results, "no viewer: every call returns at once", NoViewerReturnsAtOnce);
    RunTest(results, "texts of 0, 4094, 4095, 10000 characters", TextLengthsAroundTheRegionSize);
    RunTest(results, "printf, short and past the stack buffer", PrintfShortAndLong);
    RunTest(results, "file commands and over-long names", FileCommands);
    RunTest(results, "a larger region still takes 4094 characters per line", LargerRegionKeepsPieceSize);
    RunTest(results, "a restarted viewer is found again", RestartedViewerIsFoundAgain);
    RunTest(results, "a stalled viewer makes calls time out", StalledViewerTimesOut);
    RunTest(results, "a mutex held by another client makes calls wait, then time out",
            HeldMutexBlocksUntilTimeout);
    RunTest(results, "an abandoned mutex is taken over", AbandonedMutexIsTakenOver);
    RunTest(results, "the timeout setting", TimeoutSetting);
    RunTest(results, "reading LogConnect", LogConnectSetting);
}
