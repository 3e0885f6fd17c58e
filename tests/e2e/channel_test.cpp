// The client channel seen from a client: the five commands through the shared region, and what each one
// leaves in the pane and on disk.
#include "ReferencePane.h"
#include "harness/faults.h"
#include "harness/fixture.h"
#include "harness/steps.h"

#include <cstdio>

using namespace e2e;

namespace {

const std::string kCrLf = "\r\n";
const std::string kLog = "<run>\\DebugLog.txt";
const std::string kLongest = Filler(kLongestText, 3);
const std::string kEightBit = "Gr\xFC\xDF"
                              "e \xE9t\xE9 \xA9 \xB5\xE6\xF8 \x80";
const std::string kUnwritable = "x\r\nError: Cannot set LogFile to \"C:\\NO\\SUCH\\DIR\\X.TXT\"\r\n";
const std::string kUnwritableEmpty = kUnwritable + "Error: Cannot set LogFile to \"\"\r\n";
const std::string kUnwritableAccents =
    kUnwritableEmpty + "Error: Cannot set LogFile to \"C:\\NO\\GR\xFC\xDF\xE9_Z~1.TXT\"\r\n";

Step RawPrint(const std::string& regionBytes) {
    return {"print of raw bytes",
            [regionBytes](StepContext& c) { return SendRawCommand(c.Viewer(), kPrint, regionBytes).why; }};
}

// The viewer's one edit control, its pane.
Step OneEditControl() {
    return Expect("one edit control", [](StepContext& c) { return CountEditChildren(c.Viewer()) == 1; });
}

// A name that an existing file has but that cannot be opened for writing fails the write probe: an error line
// after the pane's text, no box.
Step ProbeFails(const std::string& path, const std::string& pane) {
    return {"the probe of " + path, [=](StepContext& c) {
                const BoxedAnswer probe = SendBoxed(c.Run(), kSetLogFile, c.Expand(path));
                if (!probe.answered || !probe.boxes.empty())
                    return std::string("no answer, or a box");
                return Mismatch(PaneText(c.Viewer()), pane + SetLogFileErrorLine(c.Expand(path)));
            }};
}

// The unwritable names below lie in this folder.
Step NoFolderNo() {
    return Expect("no folder c:\\no", [](StepContext&) { return !FolderExists("c:\\no"); });
}

// The capacity rule at its worked-out edges: each pane is loaded from a file, then one message printed.
Steps CapacitySteps() {
    // The removal counts characters, not lines: a pane whose last line has no break is trimmed the same way,
    // and the message then goes on a line of its own without a final break.
    const std::string open = FillerLines(29900).substr(0, 29898);
    Steps steps = {FirstRun(), MakeFile("<run>\\fill.txt", open), Send(kLoadFromFile, "<run>\\fill.txt"),
                   Print(Filler(100, 11)), PaneIs(ReferenceTrimmed(open, 4747) + kCrLf + Filler(100, 11))};
    for (const TCapacityCase& c : ReferenceCapacityCases) {
        const std::string pane = FillerLines(c.paneLength);
        const std::string message = Filler(c.messageLength, 11);
        steps.insert(steps.end(),
                     {MakeFile("<run>\\fill.txt", pane), Send(kLoadFromFile, "<run>\\fill.txt"),
                      Expect(c.what, [size = pane.size()](
                                         StepContext& s) { return PaneText(s.Viewer()).size() == size; }),
                      Print(message), PaneIs(ReferenceTrimmed(pane, c.removed) + message + kCrLf)});
    }
    steps.push_back(Close());
    return steps;
}

// A log of 24900 characters and 50 printed lines of 100 characters with their breaks fill the pane to 29900;
// the next line (98 characters) reaches the budget and 29900 - 98 - 25051 = 4751 characters go. The trimmed
// pane is far below the budget again: the line after it is simply appended.
Steps CapacityWhilePrintingSteps() {
    std::string expected = FillerLines(24900, 98);
    Steps steps = {FirstRun(), MakeFile("<run>\\earlier.log", expected),
                   Send(kLoadFromFile, "<run>\\earlier.log")};
    for (int line = 0; line < 50; ++line) {
        steps.push_back(Print(Filler(98, line)));
        expected += Filler(98, line) + kCrLf;
    }
    const std::string trimmed = ReferenceTrimmed(expected, 4751) + Filler(98, 299) + kCrLf;
    steps.insert(steps.end(), {PaneIs(expected), Print(Filler(98, 299)), PaneIs(trimmed), Print("next"),
                               PaneIs(trimmed + "next\r\n"), Close()});
    return steps;
}

// The viewer reads what is written through the client's own view: both share one object.
void RegionCreatedByClientBeforeStart() {
    Region early = Region::Create(static_cast<DWORD>(kRegionSize));
    ViewerRun run;
    if (!ReadyForFirstRunWith(early) || !StartViewer(run))
        return;
    CHECK(FindMessageBox(run.ProcessId()) == nullptr);
    CHECK(early.WriteText("through the early region"));
    CHECK_SENT(SendOnRegion(run.Window(), kPrint));
    CHECK_EQ(PaneText(run.Window()), "through the early region\r\n");
    CHECK(run.Close());
}

// A client made the region smaller than 4096 bytes and filled all of it, leaving no zero byte.
void SmallRegionCreatedByClient() {
    const DWORD small = 512;
    Region early = Region::Create(small);
    if (!ReadyForFirstRunWith(early))
        return;
    CHECK(early.Write(0, std::string(small, 'Q')));
    ViewerRun run;
    if (!StartViewer(run))
        return;
    CHECK_SENT(SendOnRegion(run.Window(), kPrint));
    CHECK(run.Running());
    CHECK_EQ(PaneText(run.Window()), std::string(small - 1, 'Q') + kCrLf);
    CHECK(run.Close());
}

} // namespace

int main() {
    RunStepTests({
        {"print appends lines in order",
         {FirstRun(), OneEditControl(), PaneIs(""), Print("first"), Print("second"), Print("third"),
          PaneIs("first\r\nsecond\r\nthird\r\n"),
          // An empty text is still a line of its own.
          Print(""), Print("after empty"), PaneIs("first\r\nsecond\r\nthird\r\n\r\nafter empty\r\n"),
          // CR LF inside a text splits it into pane lines; a lone CR or LF is kept as it is.
          Clear(), Print("a\r\nb"), Print("x\ry"), Print("p\nq"), PaneIs("a\r\nb\r\nx\ry\r\np\nq\r\n"),
          Close()}},
        // Byte 0 is not part of the text, whatever a client keeps there. The text ends at its zero byte: what
        // an earlier, longer text left behind it is not read. The longest text the layout allows has its zero
        // byte in the region's last byte.
        {"print reads the region layout",
         {FirstRun(), RawPrint(std::string("\x05Hello\0", 7)), PaneIs("Hello\r\n"), Clear(),
          Print(Filler(300)), Print("short"), PaneIs(Filler(300) + kCrLf + "short\r\n"), Clear(),
          Print(kLongest), PaneIs(kLongest + kCrLf), Close()}},
        // No zero byte anywhere in the region: the text runs to the end of the region and not beyond it.
        {"print of an unterminated region stops at its end",
         {FirstRun(), RawPrint(std::string(kRegionSize, 'Z')), StillRunning(),
          PaneIs(std::string(kRegionSize - 1, 'Z') + kCrLf), Print("still serving"),
          PaneIs(std::string(kRegionSize - 1, 'Z') + kCrLf + "still serving\r\n"), Close()}},
        // Characters of the single-byte code page above 127 pass through the pane and its files unchanged.
        {"eight-bit text keeps its bytes",
         {FirstRun(), Print(kEightBit), PaneIs(kEightBit + kCrLf), Send(kSaveToFile, "<run>\\eight-bit.txt"),
          FileIs("<run>\\eight-bit.txt", kEightBit + kCrLf), Clear(),
          Send(kLoadFromFile, "<run>\\eight-bit.txt"), PaneIs(kEightBit + kCrLf), Close()}},
        {"clear empties the pane",
         {FirstRun(), Clear(), PaneIs(""), Print("one"), Print("two"), Clear(), PaneIs(""), Print("fresh"),
          PaneIs("fresh\r\n"), Close()}},
        {"load from file replaces the pane",
         {FirstRun(), Print("replaced"),
          // Lone CR and lone LF become CR LF; CR LF stays a single break.
          MakeFile("<run>\\import.txt", "one\rtwo\nthree\r\nfour"), Send(kLoadFromFile, "<run>\\import.txt"),
          PaneIs("one\r\ntwo\r\nthree\r\nfour"),
          // The loaded text has no final break: the next line starts on a line of its own.
          Print("five"), PaneIs("one\r\ntwo\r\nthree\r\nfour\r\nfive"),
          MakeFile("<run>\\import.txt", "a\r\r\nb\n\nc\n\rd\r"), Send(kLoadFromFile, "<run>\\import.txt"),
          PaneIs("a\r\n\r\nb\r\n\r\nc\r\n\r\nd\r\n"),
          // The text ends at the file's first zero byte.
          MakeFile("<run>\\import.txt", std::string("abc\r\n\0def\r\n", 11)),
          Send(kLoadFromFile, "<run>\\import.txt"), PaneIs("abc\r\n"),
          // An empty file empties the pane.
          MakeFile("<run>\\import.txt", ""), Send(kLoadFromFile, "<run>\\import.txt"), PaneIs(""), Close()}},
        // A missing file, a folder and an empty name load nothing and show nothing.
        {"load of a missing file does nothing",
         {FirstRun(), Print("stays"), Send(kLoadFromFile, "<run>\\no-such-file.txt"), PaneIs("stays\r\n"),
          Send(kLoadFromFile, "<run>"), PaneIs("stays\r\n"), Send(kLoadFromFile, ""), PaneIs("stays\r\n"),
          NoBox(), Close()}},
        // An empty pane gives an empty file. A pane without a final break is saved without one; a longer old
        // file is cut to the new text.
        {"save to file writes the pane exactly",
         {FirstRun(), Send(kSaveToFile, "<run>\\export.txt"), FileIs("<run>\\export.txt", ""), Print("a"),
          Print("b"), Send(kSaveToFile, "<run>\\export.txt"), FileIs("<run>\\export.txt", "a\r\nb\r\n"),
          MakeFile("<run>\\export.txt", Filler(500)), MakeFile("<run>\\source.txt", "x\r\ny"),
          Send(kLoadFromFile, "<run>\\source.txt"), Send(kSaveToFile, "<run>\\export.txt"),
          FileIs("<run>\\export.txt", "x\r\ny"), Close()}},
        // The pane went into the log being left; the probe of the new name left nothing behind.
        {"set log file to a new name",
         {FirstRun(), Print("kept"), Send(kSetLogFile, "<run>\\switched.log"), FileIs(kLog, "kept\r\n"),
          NoFile("<run>\\switched.log"), PaneIs("kept\r\n"), Print("more"), Close(),
          SettingIs("LogFile", "<run>\\switched.log"), FileIs("<run>\\switched.log", "kept\r\nmore\r\n"),
          FileIs(kLog, "kept\r\n")}},
        // The name is used as it is, relative to the viewer's current directory (its folder here).
        {"set log file to a name without a folder",
         {FirstRun(), Print("relative"), Send(kSetLogFile, "relative.log"), NoFile("<run>\\relative.log"),
          Close(), SettingIs("LogFile", "relative.log"), FileIs("<run>\\relative.log", "relative\r\n")}},
        // The probe opened the existing file without touching its content.
        {"set log file to an existing file loads it",
         {FirstRun(), MakeFile("<run>\\existing.log", "from the other log\r\n"), Print("before switch"),
          Send(kSetLogFile, "<run>\\existing.log"), PaneIs("from the other log\r\n"),
          FileIs(kLog, "before switch\r\n"), FileIs("<run>\\existing.log", "from the other log\r\n"), Close(),
          SettingIs("LogFile", "<run>\\existing.log")}},
        // An empty name cannot be created either. Only a to z are made upper case: a letter beyond ASCII and
        // the other characters stay as they are. The log file stays the default one.
        {"set log file to an unwritable name",
         {FirstRun(), Must(NoFolderNo()), Print("x"), Send(kSetLogFile, "c:\\no\\such\\dir\\x.txt"),
          PaneIs(kUnwritable), NoFolderNo(), NoBox(), Send(kSetLogFile, ""), PaneIs(kUnwritableEmpty),
          Send(kSetLogFile, "c:\\no\\Gr\xFC\xDF\xE9_z~1.txt"), PaneIs(kUnwritableAccents), Close(),
          SettingNames("LogFile", kLog), FileIs(kLog, kUnwritableAccents)}},
        // A command whose file cannot be used: the general error display shows the error inside the handling
        // of the command, and the sender's call returns 0 once the box is dismissed.
        {"file errors of commands show a box",
         {FirstRun(), Print("pane before"), MakeFile("<run>\\held.txt", "held content\r\n"),
          Lock("<run>\\held.txt", false),
          CommandFails(kLoadFromFile, "<run>\\held.txt", "Cannot open file ", "<run>\\held.txt"),
          PaneIs("pane before\r\n"),
          CommandFails(kSaveToFile, "<run>\\held.txt", "Cannot create file ", "<run>\\held.txt"),
          CommandFails(kSaveToFile, "<run>\\missing\\out.txt", "Cannot create file ",
                       "<run>\\missing\\out.txt"),
          CommandFails(kSaveToFile, "<run>", "Cannot create file ", "<run>"),
          ProbeFails("<run>\\held.txt", "pane before\r\n"), Unlock(),
          FileIs("<run>\\held.txt", "held content\r\n"), Print("still serving"), Close(),
          SettingNames("LogFile", kLog)}},
        // Saving into the log being left fails: the switch does not happen.
        {"set log file while the old log is held",
         {FirstRun(), Print("kept"), Lock(kLog, true),
          CommandFails(kSetLogFile, "<run>\\wanted.log", "Cannot create file ", kLog), PaneIs("kept\r\n"),
          NoFile("<run>\\wanted.log"), Unlock(), Close(), SettingNames("LogFile", kLog),
          FileIs(kLog, "kept\r\n"), NoFile("<run>\\wanted.log")}},
        {"capacity rule at its boundaries", CapacitySteps()},
        {"capacity rule while printing", CapacityWhilePrintingSteps()},
    });
    RunTest("region created by a client before the start", RegionCreatedByClientBeforeStart);
    RunTest("small region created by a client", SmallRegionCreatedByClient);
    Skip("commands with Debug Output off", "the switch is a toolbar control: e2e-ui drives it");
    return Finish();
}
