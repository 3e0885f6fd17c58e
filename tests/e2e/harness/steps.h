#pragma once

#include "client.h"
#include "files.h"
#include "viewer_run.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Tests as tables: a test is a list of steps, each something a client or the user does to the viewer or
// something the viewer must then show, run in order by one loop. Every step counts as one check; a failed
// step prints its test, its number and what it was. In the texts of a step "<run>" stands for the run's
// folder without its final backslash, which is made only when the test runs.
namespace e2e {

// What the steps of one test share: a copy of the viewer, the dialog the last Dialog step found, the files
// that Lock steps hold until an Unlock step.
struct StepContext {
    ViewerRun& Run() const { return *run; }
    HWND Viewer() const { return run->Window(); }
    std::string Expand(const std::string& text) const;

    std::unique_ptr<ViewerRun> run = std::make_unique<ViewerRun>();
    HWND dialog = nullptr;
    std::vector<std::unique_ptr<LockedFile>> locks;
};

struct Step {
    std::string what;
    // Empty when the step went as expected, otherwise what happened instead.
    std::function<std::string(StepContext&)> act;
    // The steps after it depend on it (the viewer's start, an open dialog): its failure ends the test.
    bool required = false;
};
using Steps = std::vector<Step>;
// The steps of a, then those of b. (A braced list of 20 items or more is formatted one item per line, so
// long lists are written in parts.)
Steps operator+(Steps a, const Steps& b);

struct StepTest {
    const char* name;
    Steps steps;
};

// Each test as a group of its own (see RunTest); each case, within the group that runs now, as a case of
// its own whose name is printed first. Both in a context of their own.
void RunStepTests(const std::vector<StepTest>& tests);
void RunStepCases(const std::vector<StepTest>& cases);
// False after a failed required step.
bool RunSteps(StepContext& context, const Steps& steps, const std::string& test);

// Empty when actual is the text expected, otherwise both and where they part.
std::string Mismatch(const std::string& actual, const std::string& expected);

// Any condition; any code whose own checks all pass; the step made required; the step repeated until it goes
// as expected, for at most timeoutMs (what the viewer shows a moment later).
Step Expect(const std::string& what, std::function<bool(StepContext&)> holds);
Step Checks(const std::string& what, std::function<void(StepContext&)> checks);
Step Must(Step step);
Step Within(Step step, DWORD timeoutMs = 3000);

// A first run (no settings key); a start with the settings as they are, waiting until the start-up sequence
// has shown the window or only for the window; the window shown; a close.
Step FirstRun();
Step Start(bool waitVisible = true);
Step Shown();
Step Close();
Step StillRunning();
Step Placement(long left, long top, long width, long height);

// A client's commands, the argument expanded; what the pane holds and how it starts.
Step Print(const std::string& text);
Step Send(Command command, const std::string& argument);
Step Clear();
Step PaneIs(const std::string& text);
Step PaneStartsWith(const std::string& text);

Step MakeFile(const std::string& path, const std::string& bytes);
Step FileIs(const std::string& path, const std::string& bytes);
Step HasFile(const std::string& path);
Step NoFile(const std::string& path);
// Holds the file open without sharing, as another program may; Unlock lets go of every held file.
Step Lock(const std::string& path, bool createIfMissing);
Step Unlock();

// No settings key at all; values set as text; values read back ("<absent>" for a missing one); a value that
// names the file, whatever the letter case. Settings are written "name=value".
using Settings = std::vector<std::string>;
Step NoSettings();
Step SetSettings(const Settings& settings);
Step SettingsAre(const Settings& settings);
Step SettingIs(const std::string& name, const std::string& value);
Step SettingNames(const std::string& name, const std::string& path);

// No message box now, or none within waitMs. The general error display with the text, or with a file error
// (prefix, a name that names path, a period), dismissed. A command whose file cannot be used, answered with 0
// after exactly one such box.
Step NoBox(DWORD waitMs = 0);
Step ErrorShown(const std::string& text);
Step FileErrorShown(const std::string& prefix, const std::string& path, DWORD timeoutMs = 15000);
Step CommandFails(Command command, const std::string& argument, const std::string& prefix,
                  const std::string& path);

// The toolbar's controls and the menu's commands (as ClickControl, PostClick, ChooseCommand, PostCommand), an
// item of the popup menu chosen by its letter, and what they switch.
Step Click(int id);
Step PostClickOn(int id);
Step Choose(int id);
Step PostChoice(int id);
Step MenuLetter(char letter);
Step Settle();
Step BoxIs(int id, bool checked);
Step Topmost(bool topmost);
Step ToolbarShown(bool shown);

Step Select(int start, int end);
Step SelectionIs(DWORD start, DWORD end);
Step PutClipboard(const std::string& text);
Step ClearClipboard();
Step ClipboardIs(const std::string& text);

// Waits for a dialog of the viewer with the title (required), then works it.
Step Dialog(const std::string& title);
Step FieldIs(const std::string& text);
Step Confirm(const std::string& fileName);
Step Cancel();

} // namespace e2e
