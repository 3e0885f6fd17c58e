// One viewer per desktop, and the viewer that cannot open its channel.
#include "harness/fixture.h"

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
    SetWindowPos(cover.Get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!CHECK(IsAbove(cover.Get(), first.Window())))
        return;

    ViewerRun second;
    if (!CHECK(second.Prepared()) || !CHECK(second.Launch()))
        return;
    CHECK_MSG(second.WaitForExit(10000), "the second viewer is still running");
    CHECK(WaitFor([&] { return IsAbove(first.Window(), cover.Get()); }, 3000));
    CHECK(first.Close());
}

// Owns the event that takes the region's name, so that no file mapping can have it.
class NameSquatter {
  public:
    NameSquatter() : event_(CreateEventA(nullptr, TRUE, FALSE, kRegionName)) {}
    bool Held() const { return event_.Valid(); }

  private:
    TKernelHandle event_;
};

void ChannelFailureIsFatal() {
    if (!CHECK(DeleteSettings()))
        return;
    NameSquatter squatter;
    if (!CHECK(squatter.Held()))
        return;
    // Make sure the name really blocks a mapping here, or the test would prove nothing.
    TKernelHandle probe(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, kRegionName));
    if (!CHECK_MSG(!probe.Valid(), "a mapping can still be created under the name"))
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
    CHECK(DismissBox(box));

    CHECK_MSG(run.WaitForExit(15000), "the viewer did not end after the box");
    // No close sequence: the log is as it was and only "LogConnect" was written.
    CHECK_EQ(FileOrAbsent(run.LogPath()), "log before the failed start\r\n");
    CHECK_EQ(SettingOrAbsent("LogConnect"), "0");
    CHECK_EQ(SettingOrAbsent("Floating"), "<absent>");
    CHECK_EQ(SettingOrAbsent("LogFile"), "<absent>");
}

void ChannelFailureOnFirstRunWritesNoLog() {
    if (!CHECK(DeleteSettings()))
        return;
    NameSquatter squatter;
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
