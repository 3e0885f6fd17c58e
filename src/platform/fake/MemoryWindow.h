#pragma once

#include <string>
#include <vector>

#include "shell/Clock.h"
#include "shell/MainWindow.h"

// The main window's state held in fields; every call that changes something
// is also recorded in Calls, so tests can check the order of a sequence.
class TMemoryWindow : public IMainWindow {
public:
    std::string ClassName() const override { return "TfrmDebug"; }
    void SetTitle(const std::string& title) override {
        Title = title;
        Calls.push_back("SetTitle " + title);
    }
    TWindowId FindTopLevelWindow(const std::string& className, const std::string& title) const override {
        Searches.push_back(className + "|" + title + "|own title: " + Title);
        return OtherViewer;
    }
    void BringToTop(TWindowId window) override { BroughtToTop = window; }
    void RequestTermination() override { TerminationRequested = true; }

    void SetTopmost(bool topmost) override {
        Topmost = topmost;
        Calls.push_back(topmost ? "Topmost" : "NotTopmost");
    }
    bool IsTopmost() const override { return Topmost; }
    void SetToolbarVisible(bool visible) override { ToolbarVisible = visible; }
    bool IsToolbarVisible() const override { return ToolbarVisible; }

    TPlacement Placement() const override { return CurrentPlacement; }
    void SetPlacement(const TPlacement& placement) override { CurrentPlacement = placement; }
    TWindowState WindowState() const override { return State; }
    void SetWindowState(TWindowState state) override { State = state; }

    void ShowErrorBox(const std::string& text) override {
        ErrorBoxes.push_back(text);
        Calls.push_back("ErrorBox " + text);
    }
    void ShowInformationBox(const std::string& text) override {
        InformationBoxes.push_back(text);
        Calls.push_back("InformationBox");
    }

    std::string Title = "Korvane Dravik";
    TWindowId OtherViewer = 0;
    TWindowId BroughtToTop = 0;
    bool TerminationRequested = false;
    bool Topmost = false;
    bool ToolbarVisible = true;
    TPlacement CurrentPlacement;
    TWindowState State = TWindowState::Normal;
    std::vector<std::string> ErrorBoxes;
    std::vector<std::string> InformationBoxes;
    std::vector<std::string> Calls;
    mutable std::vector<std::string> Searches;
};

class TFixedClock : public IClock {
public:
    TTimeOfDay Now() const override { return Time; }
    TTimeFormat TimeFormat() const override { return Format; }

    TTimeOfDay Time{14, 5, 9};
    TTimeFormat Format;
};
