// One viewer per desktop, and the viewer that cannot open its channel.
#include "dravik/client.h"
#include "harness/fixture.h"

#include <cstdio>

using namespace e2e;

namespace {

void SecondViewerEndsByItself() {
    ViewerRun first;
    if (!StartFirstRun(first))
        return;
    CHECK_SENT(Print(first.Window(), "only the first"));
    // A marker the second viewer would overwrite if it got as far as the settings.
    CHECK(SetSetting("LogConnect", "marker"));

    ViewerRun second;
    if (!CHECK(second.Prepared()) || !CHECK(second.Launch()))
        return;
    CHECK_MSG(second.WaitForExit(10000), "the second viewer is still running");
    CHECK(FindViewerWindow(second.ProcessId()) == nullptr);
    CHECK(!FileExists(second.LogPath()));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "marker");
    CHECK_EQ(SettingOrAbsent("Floating"), "<absent>");

    // The first viewer is untouched and still serves clients.
    CHECK(first.Running());
    CHECK(FindViewerWindow(first.ProcessId()) == first.Window());
    CHECK_EQ(PaneText(first.Window()), "only the first\r\n");
    CHECK_SENT(Print(first.Window(), "and more"));
    CHECK_EQ(PaneText(first.Window()), "only the first\r\nand more\r\n");
    CHECK(first.Close());
}

// Owns a plain top-level window of the test's own, to stand above the viewer in the window order.
class CoveringWindow {
  public:
    CoveringWindow()
        : window_(CreateWindowExA(0, "STATIC", "covering", WS_POPUP | WS_VISIBLE, 100, 100, 700, 500, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr)) {}
    CoveringWindow(const CoveringWindow&) = delete;
    CoveringWindow& operator=(const CoveringWindow&) = delete;
    ~CoveringWindow() {
        if (window_ != nullptr)
            DestroyWindow(window_);
    }
    HWND Get() const { return window_; }

  private:
    HWND window_;
};

// Whether upper comes before lower in the order of top-level windows, top first.
bool IsAbove(HWND upper, HWND lower) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (window == upper)
            return true;
        if (window == lower)
            return false;
    }
    return false;
}

// A window of the viewer's class that the process owns, whatever its title.
HWND ViewerClassWindowOf(DWORD processId) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "TfrmDebug", nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, "TfrmDebug", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

// The title as the window system keeps it: read without a message to the window's thread, which may be held.
std::string CaptionOf(HWND window) {
    char title[256] = {};
    const int length = GetWindowTextA(window, title, sizeof title);
    return std::string(title, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void SecondViewerBringsTheFirstToTheTop() {
    if (!CHECK(DeleteSettings()))
        return;
    // Not topmost, so that another window can cover it.
    CHECK(SetSetting("Floating", "0"));
    ViewerRun first;
    if (!StartViewer(first))
        return;
    CoveringWindow cover;
    if (!CHECK(cover.Get() != nullptr))
        return;
    // The viewer may still be settling its own place in the order: cover it until it stays covered.
    if (!CHECK(WaitFor(
            [&] {
                SetWindowPos(cover.Get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                return IsAbove(cover.Get(), first.Window());
            },
            3000)))
        return;

    // The first viewer's thread is held, so the second is held up bringing it to the top. Meanwhile no
    // client may find the second: it has no region, and would answer a print that it drops.
    const DWORD firstThreadId = GetWindowThreadProcessId(first.Window(), nullptr);
    TKernelHandle firstThread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, firstThreadId));
    if (!CHECK(firstThread.Valid()) || !CHECK(SuspendThread(firstThread.Get()) != static_cast<DWORD>(-1)))
        return;
    ViewerRun second;
    const bool launched = CHECK(second.Prepared()) && CHECK(second.Launch());
    HWND secondWindow = nullptr;
    std::string secondTitle;
    if (launched) {
        // Its window is there, hidden, from before its single-instance check.
        WaitFor([&] { return (secondWindow = ViewerClassWindowOf(second.ProcessId())) != nullptr; }, 10000);
        const DWORD heldSince = GetTickCount();
        while (secondWindow && second.Running() && GetTickCount() - heldSince < 1500 &&
               secondTitle != "Korvane Dravik") {
            secondTitle = CaptionOf(secondWindow);
            Sleep(10);
        }
    }
    ResumeThread(firstThread.Get());
    if (!launched)
        return;
    CHECK_MSG(secondWindow != nullptr, "the second viewer made no window");
    CHECK_EQ(secondTitle, "must not find current window");
    CHECK(FindViewerWindow(first.ProcessId()) == first.Window());
    CHECK_MSG(second.WaitForExit(10000), "the second viewer is still running");
    CHECK(WaitFor([&] { return IsAbove(first.Window(), cover.Get()); }, 3000));
    CHECK(first.Close());
}

// Takes the region's name before the viewer: an event, so that no file mapping can have it, or a mapping
// that no one can use, made as reserved memory or read-only, which every read or write of it would fault.
class NameSquatter {
  public:
    enum class Kind { Event, ReservedMapping, ReadOnlyMapping };
    explicit NameSquatter(Kind kind) : kind_(kind) {
        if (kind == Kind::Event)
            handle_ = TKernelHandle(CreateEventA(nullptr, TRUE, FALSE, kRegionName));
        else
            handle_ = TKernelHandle(CreateFileMappingA(
                INVALID_HANDLE_VALUE, nullptr,
                kind == Kind::ReservedMapping ? PAGE_READWRITE | SEC_RESERVE : PAGE_READONLY, 0, 4096,
                kRegionName));
    }
    bool Held() const { return handle_.Valid(); }
    // Whether the name really keeps a usable region away here, or the test would prove nothing.
    bool Blocks() const {
        if (kind_ == Kind::Event) {
            TKernelHandle probe(
                CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, kRegionName));
            return !probe.Valid();
        }
        // A view for writing either cannot be had, or its pages refuse writing or are not there at all.
        TKernelHandle opened(OpenFileMappingA(FILE_MAP_WRITE, FALSE, kRegionName));
        TMappedView view(opened.Valid() ? MapViewOfFile(opened.Get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr);
        MEMORY_BASIC_INFORMATION info{};
        if (!view.Valid() || VirtualQuery(view.Get(), &info, sizeof info) != sizeof info)
            return kind_ == Kind::ReadOnlyMapping;
        return kind_ == Kind::ReservedMapping
                   ? info.State == MEM_RESERVE
                   : (info.Protect & (PAGE_READWRITE | PAGE_EXECUTE_READWRITE)) == 0;
    }

  private:
    Kind kind_;
    TKernelHandle handle_;
};

void ChannelFailureIsFatal() {
    const struct {
        NameSquatter::Kind kind;
        const char* name;
    } squatters[] = {{NameSquatter::Kind::Event, "an event"},
                     {NameSquatter::Kind::ReservedMapping, "a mapping of reserved memory"},
                     {NameSquatter::Kind::ReadOnlyMapping, "a read-only mapping"}};
    for (const auto& squatted : squatters) {
        std::printf("  the region's name taken by %s\n", squatted.name);
        if (!CHECK(DeleteSettings()))
            return;
        NameSquatter squatter(squatted.kind);
        if (!CHECK(squatter.Held()))
            return;
        // Wine, unlike Windows, lets a read-only mapping be mapped and written: nothing to refuse there.
        if (squatted.kind == NameSquatter::Kind::ReadOnlyMapping && !squatter.Blocks()) {
            std::printf("  (this system lets a read-only mapping be written)\n");
            continue;
        }
        if (!CHECK_MSG(squatter.Blocks(), "the name blocks nothing"))
            return;

        ViewerRun run;
        if (!CHECK(run.Prepared()))
            return;
        CHECK(WriteFileBytes(run.LogPath(), "log before the failed start\r\n"));
        if (!StartViewer(run, false))
            return;
        const HWND box = WaitForMessageBox(run.ProcessId(), 15000);
        if (!CHECK_MSG(box != nullptr, "no box about the map file appeared"))
            return;
        CHECK(FindViewerWindow(run.ProcessId()) != nullptr);
        CHECK_EQ(BoxCaption(box), "Information");
        CHECK_EQ(BoxText(box),
                 "Error creating map file.\n\r\n\rThe map file for sharing memory could not be created.");
        CHECK(BoxShowsIcon(box, IDI_ASTERISK));
        // A client finds the window meanwhile: it is refused, and never writes into the unusable region.
        const int printed = dravik_print("into a region no one can use");
        CHECK_MSG(printed != DRAVIK_OK, "the client was told its line arrived");
        if (squatted.kind == NameSquatter::Kind::ReservedMapping)
            CHECK_EQ(printed, DRAVIK_ERROR);
        dravik_disconnect();
        CHECK(DismissBox(box));

        CHECK_MSG(run.WaitForExit(15000), "the viewer did not end after the box");
        // No close sequence: the log is as it was and only "LogConnect" was written.
        CHECK_EQ(FileOrAbsent(run.LogPath()), "log before the failed start\r\n");
        CHECK_EQ(SettingOrAbsent("LogConnect"), "0");
        CHECK_EQ(SettingOrAbsent("Floating"), "<absent>");
        CHECK_EQ(SettingOrAbsent("LogFile"), "<absent>");
    }
}

void ChannelFailureOnFirstRunWritesNoLog() {
    if (!CHECK(DeleteSettings()))
        return;
    NameSquatter squatter(NameSquatter::Kind::Event);
    if (!CHECK(squatter.Held()))
        return;
    ViewerRun run;
    if (!StartViewer(run, false))
        return;
    const HWND box = WaitForMessageBox(run.ProcessId(), 15000);
    if (!CHECK_MSG(box != nullptr, "no box about the map file appeared"))
        return;
    CHECK_EQ(BoxCaption(box), "Information");
    CHECK(DismissBox(box));
    CHECK_MSG(run.WaitForExit(15000), "the viewer did not end after the box");
    CHECK(!FileExists(run.LogPath()));
}

} // namespace

int main() {
    RunTest("second viewer ends by itself", SecondViewerEndsByItself);
    RunTest("second viewer brings the first to the top", SecondViewerBringsTheFirstToTheTop);
    RunTest("channel failure is fatal", ChannelFailureIsFatal);
    RunTest("channel failure on a first run writes no log", ChannelFailureOnFirstRunWritesNoLog);
    return Finish();
}
