// The in-memory pane and the edit control that follows it in batches.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ReferencePane.h"
#include "channel/MapList.h"
#include "common/ViewerError.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/MemoryHistory.h"
#include "fakes/MemoryHistoryViewer.h"
#include "fakes/MemoryPane.h"
#include "fakes/MemoryRecoveryWriter.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/MemoryScreen.h"
#include "fakes/MemorySharedMemory.h"
#include "fakes/MemorySyslog.h"
#include "fakes/MemoryWindow.h"
#include "pane/MessagePane.h"
#include "pane/PaneBuffer.h"
#include "pane/PanePacing.h"
#include "shell/DebugForm.h"

namespace {
std::string RandomLine(std::mt19937& random, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string line(length(random), ' ');
    for (char& c : line)
        c = static_cast<char>(letter(random));
    return line;
}

struct TBufferedPane {
    TMemoryPane Control;
    TPaneBuffer Buffer{Control};
    TMemoryFileSystem Files;
    TMessagePane Pane{Buffer, Files};
};

// Printing line by line, as the rule says, with no control to follow.
struct TDirectPane {
    TReferencePane Model;
    TMemoryFileSystem Files;
    struct {
        TReferencePane& Model;
        void DoPrint(const std::string& text) { Model.Print(text); }
    } Pane{Model};
    std::string Text() const { return Model.Text; }
};

class PaneBuffer : public ::testing::Test, protected TBufferedPane {};
} // namespace

TEST_F(PaneBuffer, FloodsEndWithTheSameTextAsPrintingLineByLine) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        TBufferedPane buffered;
        TDirectPane direct;
        std::uniform_int_distribution<int> syncEvery(1, 400);
        const std::size_t maxLength = seed % 3 == 0 ? 4094 : 120;
        int sinceSync = 0;
        int nextSync = syncEvery(random);
        std::size_t printed = 0;
        while (printed < 200000) {
            const std::string line = RandomLine(random, maxLength);
            printed += line.size() + 2;
            buffered.Pane.DoPrint(line);
            direct.Pane.DoPrint(line);
            if (++sinceSync == nextSync) {
                buffered.Buffer.Sync();
                ASSERT_EQ(buffered.Control.Text(), direct.Text()) << "seed " << seed;
                sinceSync = 0;
                nextSync = syncEvery(random);
            }
        }
        buffered.Buffer.Sync();
        EXPECT_EQ(buffered.Control.Text(), direct.Text()) << "seed " << seed;
        EXPECT_EQ(buffered.Buffer.Text(), direct.Text()) << "seed " << seed;
    }
}

TEST_F(PaneBuffer, ASyncNeedsAtMostTwoEditOperations) {
    Pane.DoPrint(std::string(29000, 'x'));
    Buffer.Sync();
    const int before = Control.ReplaceCount;
    // Enough lines to cross the capacity more than once before the next Sync.
    for (int i = 0; i < 2000; ++i)
        Pane.DoPrint("line " + std::to_string(i) + std::string(20, '-'));
    Buffer.Sync();
    EXPECT_LE(Control.ReplaceCount - before, 2);

    const int quiet = Control.ReplaceCount;
    Buffer.Sync();
    EXPECT_EQ(Control.ReplaceCount, quiet) << "nothing pending, nothing done";
}

TEST_F(PaneBuffer, PrintsNothingToTheControlUntilSynced) {
    Pane.DoPrint("Hello");
    EXPECT_EQ(Control.Text(), "");
    EXPECT_TRUE(Buffer.HasPendingChanges());
    EXPECT_EQ(Buffer.Text(), "Hello\r\n");
    Buffer.Sync();
    EXPECT_EQ(Control.Text(), "Hello\r\n");
    EXPECT_FALSE(Buffer.HasPendingChanges());
    EXPECT_EQ(Control.SelectionStart(), 7u) << "the caret follows the output";
}

TEST_F(PaneBuffer, UserEditsAreTakenBeforeTheNextOperation) {
    Pane.DoPrint("first");
    Buffer.Sync();

    // The user types at the end of the control, without a line break.
    Control.Select(Control.TextLength(), 0);
    Control.ReplaceSelection("typed");
    Buffer.ControlChanged();

    Pane.DoPrint("second");
    Buffer.Sync();
    EXPECT_EQ(Control.Text(), "first\r\ntyped\r\nsecond");
    EXPECT_EQ(Buffer.Text(), Control.Text());
}

TEST_F(PaneBuffer, ChangeNoticesDuringSyncAreNotMistakenForTheUser) {
    Control.OnChange = [this] { Buffer.ControlChanged(); };
    Pane.DoPrint("model");
    Buffer.Sync();
    const int reads = Control.TextReads;
    Pane.DoPrint("more");
    EXPECT_EQ(Control.TextReads, reads) << "the buffer's own edits must not be read back";

    Buffer.Sync();
    Control.Select(0, 0);
    Control.ReplaceSelection("user: "); // notifies outside Sync
    EXPECT_EQ(Buffer.Text(), "user: model\r\nmore\r\n");
}

TEST_F(PaneBuffer, SetTextGoesToTheControlAtOnceAndReportsARefusal) {
    Pane.DoPrint("kept");
    Control.Capacity = 10;
    EXPECT_FALSE(Buffer.SetText(std::string(11, 'x')));
    EXPECT_EQ(Buffer.Text(), "kept\r\n") << "a refused text leaves the model";
    EXPECT_TRUE(Buffer.SetText("loaded"));
    EXPECT_EQ(Control.Text(), "loaded");
    EXPECT_FALSE(Buffer.HasPendingChanges());
}

TEST_F(PaneBuffer, SelectAllIsShownInTheControl) {
    Pane.DoPrint("abc");
    Buffer.Select(0, Buffer.TextLength());
    Buffer.Sync();
    EXPECT_EQ(Control.SelectionStart(), 0u);
    EXPECT_EQ(Control.SelectionLength(), 5u);
}

TEST_F(PaneBuffer, CutAndPasteWorkOnTheSyncedControlAndComeBackIntoTheModel) {
    Pane.DoPrint("one");
    Pane.DoPrint("two");
    Buffer.Sync();
    Control.Select(0, 5); // the user selects "one\r\n"
    Buffer.CutToClipboard();
    EXPECT_EQ(Buffer.Text(), "two\r\n");
    Pane.DoPrint("three"); // printed while the cut text waits on the clipboard
    Buffer.Sync();
    Control.Select(Control.TextLength(), 0);
    Buffer.PasteFromClipboard();
    EXPECT_EQ(Buffer.Text(), "two\r\nthree\r\none\r\n");
}

TEST_F(PaneBuffer, AControlYetToBeMadeTakesALoadedTextWholeAtTheFirstSync) {
    Buffer.AwaitControl();
    EXPECT_TRUE(Buffer.SetText("log one\r\nlog two\r\n"));
    Buffer.Sync();
    EXPECT_EQ(Control.Text(), "") << "no control to bring in step yet";
    Buffer.ControlMade();
    EXPECT_EQ(Control.Text(), "") << "the control waits for the next Sync";
    EXPECT_EQ(Buffer.Text(), "log one\r\nlog two\r\n");
    EXPECT_TRUE(Buffer.HasPendingChanges());
    EXPECT_TRUE(Buffer.SelectionPending()) << "its view is not where a drawn end would show it";

    Buffer.Sync();
    EXPECT_EQ(Control.Text(), "log one\r\nlog two\r\n");
    EXPECT_EQ(Control.ReplaceCount, 0) << "set whole, as a loaded text, not appended";
    EXPECT_EQ(Control.SelectionStart(), 0u);
    EXPECT_EQ(Control.SelectionLength(), 0u);
    EXPECT_FALSE(Buffer.HasPendingChanges());
}

TEST_F(PaneBuffer, PrintsBeforeTheControlIsMadeEndAsIfTheControlHadTakenEveryOne) {
    std::mt19937 random(7);
    for (const bool withLog : {true, false}) {
        TBufferedPane buffered;
        TDirectPane direct;
        buffered.Buffer.AwaitControl();
        if (withLog) {
            std::string log;
            while (log.size() < 29000)
                log += RandomLine(random, 120) + "\r\n";
            ASSERT_TRUE(buffered.Buffer.SetText(log));
            direct.Model.Text = log;
        }
        // Enough to cross the capacity several times before the control is made,
        // and again before it is next brought in step.
        for (int i = 0; i < 4000; ++i) {
            const std::string line = RandomLine(random, 120);
            buffered.Pane.DoPrint(line);
            direct.Pane.DoPrint(line);
            if (i == 1999)
                buffered.Buffer.ControlMade();
        }
        buffered.Buffer.Sync();
        EXPECT_EQ(buffered.Control.Text(), direct.Text()) << (withLog ? "with" : "without") << " a log";
        EXPECT_EQ(buffered.Control.SelectionStart(), direct.Text().size()) << "the caret follows the output";
    }
}

TEST_F(PaneBuffer, ATextTheControlRefusesWhenMadeIsReportedAtTheFirstSync) {
    for (const std::size_t length : {std::size_t(11), std::size_t(2 * 1024 * 1024)}) {
        TBufferedPane buffered;
        buffered.Control.Capacity = 10;
        buffered.Buffer.AwaitControl();
        EXPECT_TRUE(buffered.Buffer.SetText(std::string(length, 'x')))
            << "of any size: there is no control to ask";
        buffered.Buffer.ControlMade();
        EXPECT_THROW(buffered.Buffer.Sync(), TViewerError);
        EXPECT_EQ(buffered.Buffer.Text(), "") << "model and control agree again";
        EXPECT_FALSE(buffered.Buffer.HasPendingChanges());
    }

    // Once made, the control is asked at once.
    TBufferedPane buffered;
    buffered.Control.SetText("shown");
    buffered.Control.Capacity = 10;
    EXPECT_FALSE(buffered.Buffer.SetText(std::string(11, 'y')));
    EXPECT_EQ(buffered.Buffer.Text(), "shown");
}

// The whole viewer, its pane following on a screen: the log the start-up loaded is refused by the control
// when it is made.
TEST(PaneOnScreen, ALogTheControlRefusesIsKeptAtCloseAndLaterPrintsStillShow) {
    TMemoryPane control;
    control.Capacity = 10;
    TPaneBuffer buffer(control);
    buffer.AwaitControl();
    TMemoryScreen screen;
    TPanePacing pacing(buffer, screen);
    TMemoryWindow window;
    TMemoryFileSystem files;
    files.ExeDirectory = "C:\\Dravik\\";
    const std::string log = "thirty-five characters of old log\r\n";
    files.Files["C:\\Dravik\\DebugLog.txt"] = log;
    TMemoryRegistry registry;
    TMemorySharedMemory memory;
    TMapList maps(memory);
    TFixedClock clock;
    TMemoryDialogs dialogs;
    TMemoryRecoveryWriter recoveryWriter(files);
    TMemoryHistoryViewer historyViewer;
    TMemoryProcessNames names;
    TMemoryHistoryStore history;
    TLatin1FromUtf8 fromUtf8;
    TMemorySyslogReceiver receiver;
    TMemorySyslogForwarder forwarder;
    TMemoryNetworkDialog networkDialog;
    TfrmDebug form(TfrmDebugServices{window, window, window, window, buffer, files, registry, maps, clock,
                                     dialogs, window, recoveryWriter, historyViewer, names, history, fromUtf8,
                                     TNetworkServices{receiver, forwarder, networkDialog}});

    form.FormCreate();
    EXPECT_THROW(form.FormShow(pacing), TViewerError);
    EXPECT_EQ(screen.OpenBatches, 0) << "the failed batch was ended";

    form.DoPrint("printed later");
    pacing.Changed(true);
    // Drawn ahead at the first tick, taken by the control once the prints have stopped.
    for (int tick = 0; tick < 3 && screen.Timers.count(TPaneTimer::Refresh); ++tick) {
        screen.Clock += 100;
        pacing.TimerFired(TPaneTimer::Refresh);
    }
    EXPECT_EQ(control.Text(), "printed later\r\n") << "the pane follows prints again";
    EXPECT_EQ(screen.OpenBatches, 0);

    EXPECT_TRUE(form.FormCloseQuery());
    EXPECT_EQ(files.Files["C:\\Dravik\\DebugLog.txt"], log) << "the log was never in the pane";
}
