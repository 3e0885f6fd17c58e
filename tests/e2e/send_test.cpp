// dravik-send, the command-line client, against the real viewer; and Unicode text from it and from the client
// header, which the viewer's history keeps exactly.
#include "harness/fixture.h"
#include "harness/process.h"
#include "harness/ui.h"

#include "dravik/client.h"

#include <memory>
#include <vector>

using namespace e2e;

namespace {

ProgramResult RunSend(const std::string& arguments, const std::string& input = std::string()) {
    return RunProgram("\"" + SendTool() + "\" " + arguments, OwnFolder(), input, 20000);
}

void CheckExit(const ProgramResult& result, DWORD expected, const char* what) {
    CHECK_MSG(result.started && result.ended, what);
    CHECK_MSG(result.exitCode == expected, std::string(what) + ": exit code " +
                                               std::to_string(result.exitCode) + ", output \"" +
                                               Printable(result.output) + "\"");
}

void PrintsAndCommands() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    CheckExit(RunSend("Hello"), 0, "dravik-send Hello");
    CHECK_EQ(PaneText(viewer), "Hello\r\n");

    // Several words make one line.
    CheckExit(RunSend("two words"), 0, "dravik-send two words");
    const std::string pane = PaneText(viewer);
    CHECK_EQ(pane.substr(0, 7), "Hello\r\n");
    const std::string line = pane.substr(7);
    CHECK_MSG(line.size() > 2 && line.find("\r\n") == line.size() - 2, line);
    CHECK_MSG(line.find("two") == 0 && line.find("words") != std::string::npos, line);

    const std::string file = run.Folder() + "sent.txt";
    CheckExit(RunSend("--save \"" + file + "\""), 0, "dravik-send --save");
    CHECK_EQ(FileOrAbsent(file), pane);

    CheckExit(RunSend("--clear"), 0, "dravik-send --clear");
    CHECK_EQ(PaneText(viewer), "");

    CheckExit(RunSend("--load \"" + file + "\""), 0, "dravik-send --load");
    CHECK_EQ(PaneText(viewer), pane);

    const std::string newLog = run.Folder() + "via-send.log";
    CheckExit(RunSend("--setlog \"" + newLog + "\""), 0, "dravik-send --setlog");
    CHECK(run.Close());
    CHECK_EQ(SettingOrAbsent("LogFile"), newLog);
}

void StandardInputAndLongTexts() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    CheckExit(RunSend("-", "line one\r\nline two\r\n"), 0, "dravik-send - with two lines");
    CHECK_EQ(PaneText(viewer), "line one\r\nline two\r\n");

    // A text longer than the region holds arrives in pieces of at most 4094 characters, nothing lost.
    CHECK_SENT(Clear(viewer));
    const std::string text = Filler(5000, 5);
    CheckExit(RunSend("-", text + "\n"), 0, "dravik-send - with 5000 characters");
    const std::string pane = PaneText(viewer);
    CHECK(pane.size() >= 2 && pane.compare(pane.size() - 2, 2, "\r\n") == 0);
    CHECK(SplitLines(pane).size() >= 2);
    std::string joined;
    bool piecesFit = true;
    for (const std::string& piece : SplitLines(pane)) {
        piecesFit = piecesFit && piece.size() <= kLongestText;
        joined += piece;
    }
    CHECK(piecesFit);
    CHECK_EQ(joined, text);
    CHECK(run.Close());
}

// dravik-send keeps the viewer from line to line: one closed and started again while standard input is still
// open gets the lines that follow.
void StandardInputAcrossAViewerRestart() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    ChildProgram send("\"" + SendTool() + "\" -", OwnFolder(), "before the restart\n", true);
    CHECK(WaitForPane(run.Window(), "before the restart\r\n", 10000));
    if (!CHECK(run.Close()) || !StartViewer(run))
        return;
    CHECK(send.Write("after the restart\n"));
    CheckExit(send.Finish(20000), 0, "dravik-send - across a restart");
    CHECK_EQ(PaneText(run.Window()), "before the restart\r\nafter the restart\r\n");
    CHECK(run.Close());
}

void CopiesRunningTogetherDoNotMixTheirLines() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();

    // Several copies print at once through the one region; each line must arrive whole and only once.
    const int copies = 4;
    const int linesPerCopy = 40;
    std::string inputs[copies];
    for (int copy = 0; copy < copies; ++copy) {
        for (int line = 0; line < linesPerCopy; ++line) {
            inputs[copy] += "copy " + std::to_string(copy) + " line " + std::to_string(line) + " " +
                            Filler(40 + 7 * copy, line) + "\n";
        }
    }
    std::unique_ptr<ChildProgram> running[copies];
    for (int copy = 0; copy < copies; ++copy) {
        running[copy].reset(new ChildProgram("\"" + SendTool() + "\" -", OwnFolder(), inputs[copy]));
    }
    for (int copy = 0; copy < copies; ++copy)
        CheckExit(running[copy]->Finish(30000), 0, "a copy of dravik-send -");

    // Each copy's lines, picked out of the pane, come in the copy's own order.
    const std::string pane = PaneText(viewer);
    std::string picked[copies];
    std::string stray;
    int lineCount = 0;
    for (const std::string& line : SplitLines(pane)) {
        ++lineCount;
        const int copy = line.size() > 6 && line.compare(0, 5, "copy ") == 0 ? line[5] - '0' : -1;
        if (copy >= 0 && copy < copies) {
            picked[copy] += line + "\n";
        } else {
            stray += line + "\n";
        }
    }
    CHECK_EQ(stray, "");
    CHECK_EQ(lineCount, copies * linesPerCopy);
    for (int copy = 0; copy < copies; ++copy)
        CHECK_EQ(picked[copy], inputs[copy]);
    CHECK(run.Close());
}

// dravik-send started with a UTF-16 command line, as a console gives it: its words may hold what the
// system's code page cannot. Returns the exit code, or STILL_ACTIVE when it did not end in time.
DWORD RunSendWide(const std::wstring& arguments) {
    const std::string tool = SendTool();
    std::wstring line(tool.size(), L'\0');
    line.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_ACP, 0, tool.data(), static_cast<int>(tool.size()), &line[0], static_cast<int>(line.size()))));
    line = L"\"" + line + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return STILL_ACTIVE;
    const TKernelHandle process(info.hProcess);
    CloseHandle(info.hThread);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.Get(), 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.Get(), &code);
    return code;
}

// Text beyond code page 1252 (Greek, Chinese, an emoji beyond the Basic Multilingual Plane) from the header's
// wide and UTF-8 prints and from dravik-send --utf8, its words and its standard input (after a byte order
// mark): the pane shows "?" for what the code page cannot hold, and the history keeps every character.
void UnicodeTextIsKeptExactlyInTheHistory() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    CHECK_EQ(dravik_wprint(L"wide \u03a9 caf\u00e9 \u4e2d \U0001F600"), DRAVIK_OK);
    CHECK_EQ(dravik_printf_utf8("utf8 %s\tcolumn", "\xCE\xA9"), DRAVIK_OK);
    CHECK_EQ(dravik_print("plain caf\xE9"), DRAVIK_OK);
    CheckExit(RunSend("--utf8 -", "\xEF\xBB\xBFstdin \xCE\xB1\xCE\xB2\r\nsecond\r\n"), 0,
              "dravik-send --utf8 -");
    CHECK_EQ(RunSendWide(L"--utf8 words \u03a9 \u4e2d"), 0ul);
    const std::string pane = "wide ? caf\xE9 ? ?\r\nutf8 ?\tcolumn\r\nplain caf\xE9\r\nstdin ??\r\nsecond\r\n"
                             "words ? ?\r\n";
    CHECK(WaitForPane(run.Window(), pane));
    CHECK(run.Close());
    CHECK_EQ(HistoryEntries(run.LogPath()),
             (std::vector<std::string>{"client\twide \xCE\xA9 caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80",
                                       "client\tutf8 \xCE\xA9\tcolumn", "client\tplain caf\xC3\xA9",
                                       "client\tstdin \xCE\xB1\xCE\xB2", "client\tsecond",
                                       "client\twords \xCE\xA9 \xE4\xB8\xAD"}));
    dravik_disconnect();
}

void ExitCodes() {
    if (!CHECK_MSG(FindAnyViewerWindow() == nullptr, "a viewer is running; the test needs none"))
        return;
    const ProgramResult noViewer = RunSend("Hello");
    CheckExit(noViewer, 2, "dravik-send Hello without a viewer");
    CHECK_MSG(!noViewer.output.empty(), "no message when no viewer runs");

    CheckExit(RunSend(""), 1, "dravik-send without arguments");
    CheckExit(RunSend("--load"), 1, "dravik-send --load without a file");
}

} // namespace

int main() {
    if (!FileExists(SendTool())) {
        Skip("dravik-send", "dravik-send.exe is not beside this test");
        return Finish();
    }
    RunTest("prints and commands", PrintsAndCommands);
    RunTest("standard input and long texts", StandardInputAndLongTexts);
    RunTest("standard input across a viewer restart", StandardInputAcrossAViewerRestart);
    RunTest("copies running together do not mix their lines", CopiesRunningTogetherDoNotMixTheirLines);
    RunTest("Unicode text is kept exactly in the history", UnicodeTextIsKeptExactlyInTheHistory);
    RunTest("exit codes", ExitCodes);
    return Finish();
}
