#include "shell/ViewerStartup.h"

namespace {
const int StartupFailed = 1;

int Failed(IViewerStartup& startup, const char* what) {
    std::string message = std::string("Cannot create ") + what;
    const std::string why = startup.LastErrorText();
    if (!why.empty())
        message += ": " + why;
    startup.ShowStartupError(message);
    return StartupFailed;
}
} // namespace

int RunViewer(IViewerStartup& startup) {
    if (!startup.RegisterWindowClass())
        return Failed(startup, "the main window's class");
    if (!startup.CreateMainWindow())
        return Failed(startup, "the main window");
    if (!startup.RunFormCreate())
        return 0;
    // A client may have closed the window already: the event loop then ends at once.
    if (startup.AnswerWaitingClients()) {
        if (!startup.CreatePane())
            return Failed(startup, "the message pane");
        if (!startup.CreateToolbarControls())
            return Failed(startup, "the toolbar");
        startup.ShowWindow();
    }
    return startup.RunEventLoop();
}
