// The log file held by another program: at start-up, at close, and at the end of the user's session.
#include "harness/fixture.h"

using namespace e2e;

namespace {

void LockedLogAtStartIsKept() {
    if (!CHECK(DeleteSettings()))
        return;
    // Saved switches and placement must still be applied after the load fails.
    CHECK(SetSetting("Floating", "0"));
    CHECK(SetSetting("Left", "210"));
    ViewerRun run;
    if (!CHECK(run.Prepared()))
        return;
    CHECK(WriteFileBytes(run.LogPath(), "precious\r\n"));
    LockedFile lock(run.LogPath(), false);
    if (!CHECK(lock.Held()))
        return;

    if (!StartViewer(run, false))
        return;
    if (!CheckFileErrorBox(TakeBox(run.ProcessId()), "Cannot open file ", run.LogPath(), "the locked log"))
        return;

    CHECK(run.WaitVisible());
    CHECK(run.Running());
    CHECK_EQ(PaneText(run.Window()), "");
    CHECK(!WindowIsTopmost(run.Window()));
    RECT place = {};
    GetWindowRect(run.Window(), &place);
    CHECK_EQ(place.left, 210);
    // The key exists without "LogConnect": step 8 ran when the switch was written back as on.
    CHECK_EQ(SettingOrAbsent("LogConnect"), "1");
    CHECK_SENT(Print(run.Window(), "new output"));

    // Closing does not overwrite the log that could not be loaded, even once it is free again.
    lock.Release();
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(run.LogPath()), "precious\r\n");
    CHECK_MSG(SameFileName(SettingOrAbsent("LogFile"), run.LogPath()), SettingOrAbsent("LogFile"));
    CHECK_EQ(SettingOrAbsent("Floating"), "0");
    CHECK_EQ(SettingOrAbsent("Left"), "210");
}

void CloseRefusedWhileLogLocked() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    CHECK_SENT(Print(run.Window(), "keep me"));
    LockedFile lock(run.LogPath(), true);
    if (!CHECK(lock.Held()))
        return;

    PostMessageA(run.Window(), WM_CLOSE, 0, 0);
    if (!CheckFileErrorBox(TakeBox(run.ProcessId()), "Cannot create file ", run.LogPath(),
                           "the refused close"))
        return;

    // The window stays, no setting was written, and the channel still works.
    CHECK(!run.WaitForExit(500));
    CHECK(IsWindow(run.Window()));
    CHECK_EQ(SettingOrAbsent("Floating"), "<absent>");
    CHECK_SENT(Print(run.Window(), "after refusal"));

    lock.Release();
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(run.LogPath()), "keep me\r\nafter refusal\r\n");
    CHECK_EQ(SettingOrAbsent("Floating"), "1");
}

void EndOfSessionWithLockedLog() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    CHECK_SENT(Print(run.Window(), "session line"));
    LockedFile lock(run.LogPath(), true);
    if (!CHECK(lock.Held()))
        return;

    // The viewer may tell why it refuses; if it does, with the error of a failed close.
    const BoxedAnswer refused = SendDismissingBoxes(run.ProcessId(), run.Window(), WM_QUERYENDSESSION, 0, 0);
    CHECK(refused.answered);
    CHECK_EQ(refused.result, 0);
    if (!refused.boxes.empty()) {
        CheckOneErrorBox(refused, "Cannot create file ", run.LogPath(), "WM_QUERYENDSESSION");
    }
    CHECK(run.Running());
    CHECK_SENT(Print(run.Window(), "after refusal"));

    lock.Release();
    const BoxedAnswer allowed = SendDismissingBoxes(run.ProcessId(), run.Window(), WM_QUERYENDSESSION, 0, 0);
    CHECK(allowed.answered);
    CHECK(allowed.result != 0);
    CHECK_EQ(allowed.boxes.size(), 0u);
    CHECK_EQ(FileOrAbsent(run.LogPath()), "session line\r\nafter refusal\r\n");
    CHECK_EQ(SettingOrAbsent("Floating"), "1");
}

void CancelledEndOfSessionKeepsTheChannel() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    CHECK_SENT(Print(run.Window(), "before"));

    const BoxedAnswer allowed = SendDismissingBoxes(run.ProcessId(), run.Window(), WM_QUERYENDSESSION, 0, 0);
    CHECK(allowed.answered);
    CHECK(allowed.result != 0);
    CHECK_EQ(allowed.boxes.size(), 0u);
    CHECK_EQ(FileOrAbsent(run.LogPath()), "before\r\n");

    // Another program refused, so the session goes on.
    LRESULT ignored = 0;
    CHECK(SendWithTimeout(run.Window(), WM_ENDSESSION, FALSE, 0, ignored));
    CHECK(run.Running());
    CHECK_SENT(Print(run.Window(), "after the cancelled end"));
    CHECK_EQ(PaneText(run.Window()), "before\r\nafter the cancelled end\r\n");

    // A later close runs the whole close sequence again.
    CHECK(DeleteSettings());
    CHECK(run.Close());
    CHECK_EQ(FileOrAbsent(run.LogPath()), "before\r\nafter the cancelled end\r\n");
    CHECK_EQ(SettingOrAbsent("Floating"), "1");
    CHECK_MSG(SameFileName(SettingOrAbsent("LogFile"), run.LogPath()), SettingOrAbsent("LogFile"));
}

} // namespace

int main() {
    RunTest("locked log at start is kept", LockedLogAtStartIsKept);
    RunTest("close refused while the log is locked", CloseRefusedWhileLogLocked);
    RunTest("end of session with a locked log", EndOfSessionWithLockedLog);
    RunTest("cancelled end of session keeps the channel", CancelledEndOfSessionKeepsTheChannel);
    return Finish();
}
