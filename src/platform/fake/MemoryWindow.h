#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/Clock.h"
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"

// The main window's state held in fields; every call that changes something
// is also recorded in Calls, so tests can check the order of a sequence.
class TMemoryWindow : public IMainWindow {
  public:
    void BeginInstanceCheck() override { Calls.push_back("BeginInstanceCheck"); }
    void EndInstanceCheck() override { Calls.push_back("EndInstanceCheck"); }
    std::string ClassName() const override { return "TfrmDebug"; }
    void SetTitle(const std::string& title) override {
        Title = title;
        Calls.push_back("SetTitle " + title);
        if (OnTitle)
            OnTitle(title);
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
    void ShowCheckBox(TCheckBoxId box, bool checked) override { BoxesShown[static_cast<int>(box)] = checked; }

    TPlacement Placement() const override { return CurrentPlacement; }
    void SetPlacement(const TPlacement& placement) override { CurrentPlacement = placement; }
    TWindowState WindowState() const override { return State; }
    void SetWindowState(TWindowState state) override { State = state; }

    void ReleaseSender() override { ++SendersReleased; }
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
    int SendersReleased = 0;
    bool Topmost = false;
    bool ToolbarVisible = true;
    bool BoxesShown[CheckBoxCount] = {true, true, true, true};
    TPlacement CurrentPlacement;
    TWindowState State = TWindowState::Normal;
    std::vector<std::string> ErrorBoxes;
    std::vector<std::string> InformationBoxes;
    std::vector<std::string> Calls;
    mutable std::vector<std::string> Searches;
    // Called with each title set, to check what holds at that moment.
    std::function<void(const std::string&)> OnTitle;
};

class TFixedClock : public IClock {
  public:
    TTimeOfDay Now() const override { return Time; }
    TTimeFormat TimeFormat() const override { return Format; }

    TTimeOfDay Time{14, 5, 9};
    TTimeFormat Format;
};

// Dialogs answered by the test: each records the name it was offered and
// answers with ChosenName, or cancels when that is empty.
class TMemoryDialogs : public IDialogs {
  public:
    bool ChooseFileToOpen(std::string& fileName) override { return Answer(fileName); }
    bool ChooseFileToSave(std::string& fileName) override { return Answer(fileName); }
    void ShowAbout() override { ++AboutShown; }
    bool ClipboardHasText() const override { return ClipboardText; }

    // Called while a dialog is open, to check what holds at that moment.
    std::function<void()> WhileOpen;
    std::string ChosenName;
    std::vector<std::string> OfferedNames;
    int AboutShown = 0;
    bool ClipboardText = false;

  private:
    bool Answer(std::string& fileName) {
        OfferedNames.push_back(fileName);
        if (WhileOpen)
            WhileOpen();
        if (ChosenName.empty())
            return false;
        fileName = ChosenName;
        return true;
    }
};
