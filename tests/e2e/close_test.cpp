// The log file held by another program: at start-up, at close, and at the end of the user's session.
#include "harness/fixture.h"
#include "harness/steps.h"

using namespace e2e;

namespace {

const std::string kLog = "<run>\\DebugLog.txt";

// WM_QUERYENDSESSION as the system sends it. Allowed: answered non-zero without a box. Refused: answered 0;
// the viewer may tell why, and if it does, with the error of a failed close.
Step EndOfSession(bool allowed) {
    return Expect(allowed ? "the end of the session allowed" : "the end of the session refused",
                  [allowed](StepContext& c) {
                      const BoxedAnswer answer =
                          SendDismissingBoxes(c.Run().ProcessId(), c.Viewer(), WM_QUERYENDSESSION, 0, 0);
                      if (allowed)
                          return answer.answered && answer.result != 0 && answer.boxes.empty();
                      if (!answer.boxes.empty())
                          CheckOneErrorBox(answer, "Cannot create file ", c.Expand(kLog),
                                           "WM_QUERYENDSESSION");
                      return answer.answered && answer.result == 0;
                  });
}

} // namespace

int main() {
    RunStepTests({
        // Saved switches and placement are still applied after the load fails. The key exists without
        // "LogConnect": step 8 ran when the switch was written back as on. Closing does not overwrite the log
        // that could not be loaded, even once it is free again.
        {"locked log at start is kept",
         {NoSettings(), SetSettings({"Floating=0", "Left=210"}), MakeFile(kLog, "precious\r\n"),
          Lock(kLog, false), Start(false), Must(FileErrorShown("Cannot open file ", kLog)), Shown(),
          StillRunning(), PaneIs(""), Topmost(false),
          Expect("left at 210",
                 [](StepContext& c) {
                     RECT place = {};
                     return GetWindowRect(c.Viewer(), &place) && place.left == 210;
                 }),
          SettingsAre({"LogConnect=1"}), Print("new output"), Unlock(), Close(), FileIs(kLog, "precious\r\n"),
          SettingNames("LogFile", kLog), SettingsAre({"Floating=0", "Left=210"})}},
        // The window stays, no setting was written, and the channel still works.
        {"close refused while the log is locked",
         {FirstRun(), Print("keep me"), Lock(kLog, true),
          Expect("WM_CLOSE",
                 [](StepContext& c) { return PostMessageA(c.Viewer(), WM_CLOSE, 0, 0) != FALSE; }),
          Must(FileErrorShown("Cannot create file ", kLog)),
          Expect("the viewer stays",
                 [](StepContext& c) { return !c.Run().WaitForExit(500) && IsWindow(c.Viewer()); }),
          SettingsAre({"Floating=<absent>"}), Print("after refusal"), Unlock(), Close(),
          FileIs(kLog, "keep me\r\nafter refusal\r\n"), SettingsAre({"Floating=1"})}},
        {"end of session with a locked log",
         {FirstRun(), Print("session line"), Lock(kLog, true), EndOfSession(false), StillRunning(),
          Print("after refusal"), Unlock(), EndOfSession(true),
          FileIs(kLog, "session line\r\nafter refusal\r\n"), SettingsAre({"Floating=1"})}},
        // Another program refused, so the session goes on; a later close runs the whole close sequence again.
        {"cancelled end of session keeps the channel",
         {FirstRun(), Print("before"), EndOfSession(true), FileIs(kLog, "before\r\n"),
          Expect("WM_ENDSESSION, cancelled",
                 [](StepContext& c) {
                     LRESULT ignored = 0;
                     return SendWithTimeout(c.Viewer(), WM_ENDSESSION, FALSE, 0, ignored);
                 }),
          StillRunning(), Print("after the cancelled end"), PaneIs("before\r\nafter the cancelled end\r\n"),
          NoSettings(), Close(), FileIs(kLog, "before\r\nafter the cancelled end\r\n"),
          SettingsAre({"Floating=1"}), SettingNames("LogFile", kLog)}},
    });
    return Finish();
}
