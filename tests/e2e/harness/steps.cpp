#include "steps.h"

#include "fixture.h"

#include <cstdio>

namespace e2e {

namespace {

Step Equals(const std::string& what, std::function<std::string(StepContext&)> actual,
            const std::string& expected) {
    return {what, [actual, expected](StepContext& c) { return Mismatch(actual(c), c.Expand(expected)); }};
}

Step Sent(const std::string& what, std::function<CommandResult(StepContext&)> send) {
    return {what, [send](StepContext& c) { return send(c).why; }};
}

std::string PlaceText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
           "x" + std::to_string(r.bottom - r.top);
}

} // namespace

std::string StepContext::Expand(const std::string& text) const {
    const std::string token = "<run>", folder = run->Folder().substr(0, run->Folder().size() - 1);
    std::string expanded = text;
    for (std::size_t at = expanded.find(token); at != std::string::npos;
         at = expanded.find(token, at + folder.size()))
        expanded.replace(at, token.size(), folder);
    return expanded;
}

bool RunSteps(StepContext& context, const Steps& steps, const std::string& test) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string seen = steps[i].act(context);
        const std::string where = test + ", step " + std::to_string(i + 1) + " (" + steps[i].what + ")";
        if (!Check(seen.empty(), __FILE__, __LINE__, where + ": " + seen) && steps[i].required)
            return false;
    }
    return true;
}

void RunStepTests(const std::vector<StepTest>& tests) {
    for (const StepTest& test : tests) {
        RunTest(test.name, [&test] {
            StepContext context;
            RunSteps(context, test.steps, test.name);
        });
    }
}

void RunStepCases(const std::vector<StepTest>& cases) {
    for (const StepTest& test : cases) {
        std::printf("  case: %s\n", test.name);
        StepContext context;
        RunSteps(context, test.steps, test.name);
    }
}

Steps operator+(Steps a, const Steps& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Mismatch(const std::string& actual, const std::string& expected) {
    return actual == expected ? std::string()
                              : "got " + ToText(actual) + ", expected " + ToText(expected) +
                                    FirstDifference(actual, expected);
}

Step Expect(const std::string& what, std::function<bool(StepContext&)> holds) {
    return {what,
            [holds](StepContext& c) { return holds(c) ? std::string() : std::string("it does not hold"); }};
}

Step Checks(const std::string& what, std::function<void(StepContext&)> checks) {
    return Expect(what, [checks](StepContext& c) {
        const int failedBefore = FailedChecks();
        checks(c);
        return FailedChecks() == failedBefore;
    });
}

Step Must(Step step) {
    step.required = true;
    return step;
}

Step Within(Step step, DWORD timeoutMs) {
    step.act = [once = step.act, timeoutMs](StepContext& c) {
        std::string seen;
        WaitFor([&] { return (seen = once(c)).empty(); }, timeoutMs);
        return seen;
    };
    return step;
}

Step FirstRun() {
    return Must(Expect("a first run", [](StepContext& c) { return StartFirstRun(c.Run()); }));
}

Step Start(bool waitVisible) {
    return Must(
        Expect("a start", [waitVisible](StepContext& c) { return StartViewer(c.Run(), waitVisible); }));
}

Step Shown() {
    return Must(Expect("the window shown", [](StepContext& c) { return c.Run().WaitVisible(); }));
}

Step Close() {
    return Expect("close", [](StepContext& c) { return c.Run().Close(); });
}

Step StillRunning() {
    return Expect("the viewer runs", [](StepContext& c) { return c.Run().Running(); });
}

Step Placement(long left, long top, long width, long height) {
    return Equals(
        "the placement",
        [](StepContext& c) {
            RECT place = {};
            GetWindowRect(c.Viewer(), &place);
            return PlaceText(place);
        },
        PlaceText(RECT{left, top, left + width, top + height}));
}

Step Print(const std::string& text) {
    return Sent("print " + ToText(text), [text](StepContext& c) { return Print(c.Viewer(), text); });
}

Step Send(Command command, const std::string& argument) {
    return Sent("command " + std::to_string(command - WM_USER) + " " + ToText(argument),
                [=](StepContext& c) { return SendCommand(c.Viewer(), command, c.Expand(argument)); });
}

Step Clear() {
    return Sent("clear", [](StepContext& c) { return Clear(c.Viewer()); });
}

Step PaneIs(const std::string& text) {
    return Equals(
        "the pane", [](StepContext& c) { return PaneText(c.Viewer()); }, text);
}

Step PaneStartsWith(const std::string& text) {
    return Equals(
        "the pane's start", [n = text.size()](StepContext& c) { return PaneText(c.Viewer()).substr(0, n); },
        text);
}

Step MakeFile(const std::string& path, const std::string& bytes) {
    return Expect("write " + path,
                  [=](StepContext& c) { return WriteFileBytes(c.Expand(path), c.Expand(bytes)); });
}

Step FileIs(const std::string& path, const std::string& bytes) {
    return Equals(
        path, [path](StepContext& c) { return FileOrAbsent(c.Expand(path)); }, bytes);
}

Step HasFile(const std::string& path) {
    return Expect("a file " + path, [path](StepContext& c) { return FileExists(c.Expand(path)); });
}

Step NoFile(const std::string& path) {
    return Expect("no file " + path, [path](StepContext& c) { return !FileExists(c.Expand(path)); });
}

Step Lock(const std::string& path, bool createIfMissing) {
    return Must(Expect("hold " + path, [=](StepContext& c) {
        c.locks.push_back(std::make_unique<LockedFile>(c.Expand(path), createIfMissing));
        return c.locks.back()->Held();
    }));
}

Step Unlock() {
    return Expect("let go of the held files", [](StepContext& c) { return c.locks.clear(), true; });
}

Step NoSettings() {
    return Must(Expect("no settings key", [](StepContext&) { return DeleteSettings(); }));
}

Step SetSettings(const Settings& settings) {
    return Expect("set the settings", [settings](StepContext& c) {
        bool set = true;
        for (const std::string& setting : settings) {
            const std::size_t equals = setting.find('=');
            set = SetSetting(setting.substr(0, equals), c.Expand(setting.substr(equals + 1))) && set;
        }
        return set;
    });
}

Step SettingsAre(const Settings& settings) {
    return {"the settings", [settings](StepContext& c) {
                std::string wrong;
                for (const std::string& setting : settings) {
                    const std::string name = setting.substr(0, setting.find('='));
                    const std::string seen =
                        Mismatch(SettingOrAbsent(name), c.Expand(setting.substr(name.size() + 1)));
                    wrong += seen.empty() ? "" : name + ": " + seen + " ";
                }
                return wrong;
            }};
}

Step SettingIs(const std::string& name, const std::string& value) {
    return SettingsAre({name + "=" + value});
}

Step SettingNames(const std::string& name, const std::string& path) {
    return {name, [name, path](StepContext& c) {
                const std::string value = SettingOrAbsent(name);
                return SameFileName(value, c.Expand(path)) ? std::string() : Mismatch(value, c.Expand(path));
            }};
}

Step NoBox(DWORD waitMs) {
    return Expect("no message box", [waitMs](StepContext& c) {
        return WaitForMessageBox(c.Run().ProcessId(), waitMs) == nullptr;
    });
}

Step ErrorShown(const std::string& text) {
    return Expect("an error box " + ToText(text),
                  [text](StepContext& c) { return CheckErrorBox(TakeBox(c.Run().ProcessId()), text, text); });
}

Step FileErrorShown(const std::string& prefix, const std::string& path, DWORD timeoutMs) {
    return Expect("an error box naming " + path, [=](StepContext& c) {
        return CheckFileErrorBox(TakeBox(c.Run().ProcessId(), timeoutMs), prefix, c.Expand(path), path);
    });
}

Step CommandFails(Command command, const std::string& argument, const std::string& prefix,
                  const std::string& path) {
    return Expect("an error box for " + argument, [=](StepContext& c) {
        const BoxedAnswer answer = SendBoxed(c.Run(), command, c.Expand(argument));
        CheckOneErrorBox(answer, prefix, c.Expand(path), argument);
        return answer.answered && answer.result == 0 && answer.boxes.size() == 1;
    });
}

Step Click(int id) {
    return Expect("click " + std::to_string(id),
                  [id](StepContext& c) { return ClickControl(c.Viewer(), id); });
}

Step PostClickOn(int id) {
    return Expect("post a click on " + std::to_string(id),
                  [id](StepContext& c) { return PostClick(c.Viewer(), id); });
}

Step Choose(int id) {
    return Expect("command " + std::to_string(id),
                  [id](StepContext& c) { return ChooseCommand(c.Viewer(), id); });
}

Step PostChoice(int id) {
    return Expect("post command " + std::to_string(id),
                  [id](StepContext& c) { return PostCommand(c.Viewer(), id); });
}

Step MenuLetter(char letter) {
    return Expect(std::string("menu letter ") + letter, [letter](StepContext& c) {
        return ChooseFromMenu(c.Viewer(), c.Run().ProcessId(), letter);
    });
}

Step Settle() {
    return Expect("settle", [](StepContext& c) { return Settle(c.Viewer()); });
}

Step BoxIs(int id, bool checked) {
    return Expect("box " + std::to_string(id) + (checked ? " checked" : " unchecked"),
                  [=](StepContext& c) { return IsBoxChecked(c.Viewer(), id) == checked; });
}

Step Topmost(bool topmost) {
    return Expect(topmost ? "topmost" : "not topmost",
                  [topmost](StepContext& c) { return WindowIsTopmost(c.Viewer()) == topmost; });
}

Step ToolbarShown(bool shown) {
    return Expect(shown ? "toolbar shown" : "toolbar hidden", [shown](StepContext& c) {
        return (IsWindowVisible(FindToolbar(c.Viewer())) != FALSE) == shown;
    });
}

Step Select(int start, int end) {
    return Expect("select " + std::to_string(start) + ".." + std::to_string(end),
                  [=](StepContext& c) { return SelectInPane(c.Viewer(), start, end); });
}

Step SelectionIs(DWORD start, DWORD end) {
    return Equals(
        "the selection",
        [](StepContext& c) {
            DWORD from = 1, to = 0;
            PaneSelection(c.Viewer(), from, to);
            return std::to_string(from) + ".." + std::to_string(to);
        },
        std::to_string(start) + ".." + std::to_string(end));
}

Step PutClipboard(const std::string& text) {
    return Expect("put on the clipboard", [text](StepContext&) { return PutOnClipboard(text); });
}

Step ClearClipboard() {
    return Expect("empty the clipboard", [](StepContext&) { return EmptyTheClipboard(); });
}

Step ClipboardIs(const std::string& text) {
    return Equals(
        "the clipboard",
        [](StepContext&) {
            std::string clip;
            return ReadClipboard(clip) ? clip : "<unreadable>";
        },
        text);
}

Step Dialog(const std::string& title) {
    return Must(Expect("dialog " + ToText(title), [title](StepContext& c) {
        return (c.dialog = WaitForDialog(c.Run().ProcessId(), title)) != nullptr;
    }));
}

Step FieldIs(const std::string& text) {
    return Equals(
        "the file name field", [](StepContext& c) { return ReadFileNameField(c.dialog); }, text);
}

Step Confirm(const std::string& fileName) {
    return Expect("confirm " + fileName,
                  [fileName](StepContext& c) { return ConfirmFileDialog(c.dialog, c.Expand(fileName)); });
}

Step Cancel() {
    return Expect("cancel the dialog", [](StepContext& c) { return CancelDialog(c.dialog); });
}

} // namespace e2e
