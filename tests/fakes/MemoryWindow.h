#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/MemoryWindowsOutput.h"
#include "shell/Clock.h"
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"

// Every call that changes something is noted in one log shared by the
// window's stand-ins, so tests can check the order of a sequence.
using TCalls = std::vector<std::string>;
struct TCallLog {
    TCalls Calls;
};

class TMemoryInstanceCheck : public IInstanceCheck {
  public:
    explicit TMemoryInstanceCheck(TCalls& log) : Log(log) {}
    void BeginInstanceCheck() override { Log.push_back("BeginInstanceCheck"); }
    void EndInstanceCheck() override { Log.push_back("EndInstanceCheck"); }
    std::string ClassName() const override { return "TfrmDebug"; }
    void SetTitle(const std::string& title) override {
        Title = title;
        Log.push_back("SetTitle " + title);
        if (OnTitle)
            OnTitle(title);
    }
    TWindowId FindTopLevelWindow(const std::string& className, const std::string& title) const override {
        Searches.push_back(className + "|" + title + "|own title: " + Title);
        return OtherViewer;
    }
    void BringToTop(TWindowId window) override { BroughtToTop = window; }
    void RequestTermination() override { TerminationRequested = true; }

    TCalls& Log;
    std::string Title = "Korvane Dravik";
    TWindowId OtherViewer = 0;
    TWindowId BroughtToTop = 0;
    bool TerminationRequested = false;
    mutable std::vector<std::string> Searches;
    // Called with each title set, to check what holds at that moment.
    std::function<void(const std::string&)> OnTitle;
};

class TMemorySwitches : public IWindowSwitches {
  public:
    explicit TMemorySwitches(TCalls& log) : Log(log) {}
    void SetTopmost(bool topmost) override {
        Topmost = topmost;
        Log.push_back(topmost ? "Topmost" : "NotTopmost");
    }
    bool IsTopmost() const override { return Topmost; }
    void SetToolbarVisible(bool visible) override { ToolbarVisible = visible; }
    bool IsToolbarVisible() const override { return ToolbarVisible; }
    void ShowCheckBox(TCheckBoxId box, bool checked) override { BoxesShown[static_cast<int>(box)] = checked; }

    TCalls& Log;
    bool Topmost = false;
    bool ToolbarVisible = true;
    bool BoxesShown[CheckBoxCount] = {true, true, true, true};
};

class TMemoryPlacement : public IWindowPlacement {
  public:
    explicit TMemoryPlacement(TCalls& log) : Log(log) {}
    TPlacement Placement() const override { return CurrentPlacement; }
    void SetPlacement(const TPlacement& p) override {
        CurrentPlacement = p;
        Log.push_back("SetPlacement " + std::to_string(p.Left) + "," + std::to_string(p.Top) + "," +
                      std::to_string(p.Width) + "," + std::to_string(p.Height));
    }
    TWindowState WindowState() const override { return State; }
    void SetWindowState(TWindowState state) override {
        State = state;
        Log.push_back("SetWindowState " + std::to_string(static_cast<int>(state)));
    }

    TCalls& Log;
    TPlacement CurrentPlacement;
    TWindowState State = TWindowState::Normal;
};

class TMemoryBoxes : public IMessageBoxes {
  public:
    explicit TMemoryBoxes(TCalls& log) : Log(log) {}
    void ShowErrorBox(const std::string& text) override {
        ErrorBoxes.push_back(text);
        Log.push_back("ErrorBox " + text);
    }
    void ShowInformationBox(const std::string& text) override {
        InformationBoxes.push_back(text);
        Log.push_back("InformationBox");
    }

    TCalls& Log;
    std::vector<std::string> ErrorBoxes;
    std::vector<std::string> InformationBoxes;
};

// The whole window, for tests that follow a sequence across its concerns.
class TMemoryWindow : public TCallLog,
                      public TMemoryInstanceCheck,
                      public TMemorySwitches,
                      public TMemoryPlacement,
                      public TMemoryBoxes,
                      public TMemoryWindowsOutput {
  public:
    TMemoryWindow()
        : TMemoryInstanceCheck(Calls), TMemorySwitches(Calls), TMemoryPlacement(Calls), TMemoryBoxes(Calls) {}
};

class TFixedClock : public IClock {
  public:
    TTimeOfDay Now() const override { return Time; }
    TTimeFormat TimeFormat() const override { return Format; }
    TLineTime LineTime() const override { return Received; }

    TTimeOfDay Time{14, 5, 9};
    TLineTime Received{2026, 12, 10, 14, 5, 9, 42, 60};
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
