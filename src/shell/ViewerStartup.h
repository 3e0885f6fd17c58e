#pragma once

#include <string>

// The steps that bring the viewer's window up, as the platform takes them.
class IViewerStartup {
  public:
    virtual ~IViewerStartup() = default;
    virtual bool RegisterWindowClass() = 0;
    virtual bool CreateMainWindow() = 0;
    // The start-up sequence; false when another viewer runs and this one is
    // to end at once.
    virtual bool RunFormCreate() = 0;
    // Answers the clients that found the window meanwhile; false when one of
    // them had the window closed.
    virtual bool AnswerWaitingClients() = 0;
    virtual bool CreatePane() = 0;
    virtual bool CreateToolbarControls() = 0;
    // Fills the pane and shows the window as the start-up asked.
    virtual void ShowWindow() = 0;
    // Returns the exit code.
    virtual int RunEventLoop() = 0;
    // The system's own words for why the step just taken failed.
    virtual std::string LastErrorText() const = 0;
    // The general error display, before or without the main window.
    virtual void ShowStartupError(const std::string& message) = 0;
};

// Runs the viewer from start to end and returns the process's exit code. A
// part of the window that cannot be made is named in the general error
// display, and the program ends with a code other than 0.
int RunViewer(IViewerStartup& startup);
