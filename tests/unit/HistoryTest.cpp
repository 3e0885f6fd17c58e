#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "shell/history/HistoryEntry.h"
#include "shell/history/HistoryHandOver.h"
#include "shell/history/HistoryLimit.h"
#include "shell/history/HistoryNames.h"
#include "shell/history/HistoryWriter.h"

namespace {

using Strings = std::vector<std::string>;
const std::uint64_t MiB = 1048576;

// The disk in memory. A file of an earlier run may stand for more bytes than it holds (Extra), so the
// limit can be tried with hundreds of megabytes without holding them.
class TMemoryHistoryDisk : public IHistoryDisk {
  public:
    struct TFile {
        std::string Bytes;
        std::uint64_t Extra = 0;
    };
    std::map<std::string, TFile> Files;
    std::set<std::string> Folders;
    std::set<std::string> Refused;
    std::uint64_t Room = UINT64_MAX;

    bool CreateFolder(const std::string& folder, std::string& reason) override {
        if (Refused.count(folder) != 0) {
            reason = "Access is denied.\r\n";
            return false;
        }
        Folders.insert(folder);
        return true;
    }
    bool ListFolder(const std::string& folder, std::vector<THistoryFile>& files, std::string&) override {
        for (const auto& file : Files)
            if (file.first.rfind(folder + "\\", 0) == 0)
                files.push_back(
                    {file.first.substr(folder.size() + 1), file.second.Bytes.size() + file.second.Extra});
        return true;
    }
    TCreate CreateNewFile(const std::string& path, std::string& reason) override {
        if (Files.count(path) != 0)
            return TCreate::Exists;
        if (Folders.count(path.substr(0, path.rfind('\\'))) == 0) {
            reason = "The system cannot find the path specified.";
            return TCreate::Failed;
        }
        Files[path];
        return TCreate::Created;
    }
    std::size_t Append(const std::string& path, const char* bytes, std::size_t size,
                       std::string& reason) override {
        if (Folders.count(path.substr(0, path.rfind('\\'))) == 0) {
            reason = "The system cannot find the path specified.";
            return 0;
        }
        const std::size_t written = static_cast<std::size_t>(std::min<std::uint64_t>(size, Room));
        Files[path].Bytes.append(bytes, written);
        Room -= written;
        if (written < size)
            reason = "There is not enough space on the disk.";
        return written;
    }
    bool RemoveFile(const std::string& path) override { return Files.erase(path) != 0; }

    Strings Names(const std::string& folder) const {
        Strings names;
        for (const auto& file : Files)
            if (file.first.rfind(folder + "\\", 0) == 0)
                names.push_back(file.first.substr(folder.size() + 1));
        return names;
    }
};

// Code page 1252 for the letters the tests use: each byte from 0xA0 on is the code point of its value.
class TLatin1ToUtf8 : public IToUtf8 {
  public:
    void Convert(std::string_view codePageText, std::string& utf8) override {
        utf8.clear();
        for (char c : codePageText) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                utf8.push_back(c);
            } else {
                utf8.push_back(static_cast<char>(0xC0 | byte >> 6));
                utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
            }
        }
    }
};

TLineTime At(int hour, int minute, int second, int millisecond = 0) {
    TLineTime time;
    time.Year = 2024;
    time.Month = 3;
    time.Day = 9;
    time.Hour = hour;
    time.Minute = minute;
    time.Second = second;
    time.Millisecond = millisecond;
    return time;
}

TReceivedLine Line(const std::string& text, TLineSource source = TLineSource::Client) {
    TReceivedLine line;
    line.Text = text;
    line.Received = At(7, 5, 2, 42);
    line.Origin.Source = source;
    return line;
}

const std::string Folder = "C:\\Logs\\DebugLog.txt.history";
const std::string OtherFolder = "D:\\Other.log.history";

// The window's side and the writer's side as the viewer wires them, on one thread.
class HistoryTest : public ::testing::Test {
  protected:
    explicit HistoryTest(const std::string& limit = DefaultHistoryLimit, std::size_t mostHeld = 16 * MiB)
        : HandOver(ToUtf8, HistoryLimitBytes(limit) != 0, mostHeld), Writer(Disk, HistoryLimitBytes(limit)) {
        Disk.Folders.insert("C:\\Logs");
    }

    void Print(const std::string& text) { HandOver.Add(Line(text)); }
    // What the viewer prints of the notices comes back to the history as its own lines.
    Strings Flush(const TLineTime& now = At(7, 5, 2)) {
        THistoryBatch batch;
        HandOver.TakeInto(batch);
        Strings notices;
        Writer.Write(batch, now, notices);
        for (const std::string& notice : notices)
            HandOver.Add(Line(notice, TLineSource::Viewer));
        return notices;
    }
    std::string File(const std::string& name) { return Disk.Files[Folder + "\\" + name].Bytes; }

    TMemoryHistoryDisk Disk;
    TLatin1ToUtf8 ToUtf8;
    THistoryHandOver HandOver;
    THistoryWriter Writer;
};

TEST(HistoryFormatTest, EveryOriginAndTextGivesWholeEntriesOfOnePaneLineEach) {
    TReceivedLine utf8 = Line("Gr??e ?");
    utf8.Utf8 = "Gr\xC3\xBC\xC3\x9F"
                "e \xE2\x9C\x93";
    utf8.HasUtf8 = true;
    TReceivedLine named = Line("started", TLineSource::WindowsOutput);
    named.Origin.ProcessId = 4711;
    named.Origin.ProcessName = "My App.exe";
    TReceivedLine unnamed = named;
    unnamed.Origin.ProcessName.clear();
    TReceivedLine odd = named;
    odd.Origin.ProcessName = std::string("a\tb\0.exe", 8);
    TReceivedLine network = Line("up", TLineSource::Network);
    network.Origin.Host = "build 7";
    network.Origin.ProcId = "42";
    network.Origin.Address = "127.0.0.1";
    TReceivedLine late = Line("x", TLineSource::Viewer);
    late.Received = TLineTime{12345, 12, 31, 23, 59, 59, 1000, 0};

    const std::string T = "2024-03-09 07:05:02.042\t";
    const struct {
        TReceivedLine Line;
        std::string Entries;
    } cases[] = {
        {Line("a\tb\t"), T + "client\ta\tb\t\r\n"},
        {utf8, T + "client\tGr\xC3\xBC\xC3\x9F"
                   "e \xE2\x9C\x93\r\n"},
        {Line("caf\xE9"), T + "client\tcaf\xC3\xA9\r\n"},
        {named, T + "4711 My App.exe\tstarted\r\n"},
        {unnamed, T + "4711\tstarted\r\n"},
        {odd, T + "4711 a?b?.exe\tstarted\r\n"},
        {network, T + "build_7 - 42 127.0.0.1\tup\r\n"},
        {late, "9999-12-31 23:59:59.999\tviewer\tx\r\n"},
        {Line(""), T + "client\t\r\n"},
        {Line(std::string("a\0b", 3)), T + "client\ta?b\r\n"},
        {Line("one\r\ntwo\rthree\nfour"),
         T + "client\tone\r\n" + T + "client\ttwo\r\n" + T + "client\tthree\r\n" + T + "client\tfour\r\n"},
        {Line("end\r\n"), T + "client\tend\r\n" + T + "client\t\r\n"},
        {Line("\n\r\r\n"), T + "client\t\r\n" + T + "client\t\r\n" + T + "client\t\r\n" + T + "client\t\r\n"},
    };
    TLatin1ToUtf8 toUtf8;
    for (const auto& c : cases) {
        THistoryHandOver handOver(toUtf8, true);
        handOver.UseLogFile("DebugLog.txt");
        handOver.Add(c.Line);
        THistoryBatch batch;
        handOver.TakeInto(batch);
        EXPECT_EQ(batch.Bytes, c.Entries) << c.Line.Text;
        EXPECT_EQ(batch.Bytes.find('\0'), std::string::npos);
        const std::size_t entries =
            static_cast<std::size_t>(std::count(c.Entries.begin(), c.Entries.end(), '\n'));
        EXPECT_EQ(HistoryEntryCount(c.Line.HasUtf8 ? c.Line.Utf8 : c.Line.Text), entries) << c.Line.Text;
    }
}

TEST(HistoryNamesTest, FilesAreNamedByTheirStartAndOnlyTheirsAreRecognisedAndOrdered) {
    EXPECT_EQ(HistoryFolderFor("C:\\Logs\\DebugLog.txt"), Folder);
    const struct {
        Strings Existing;
        std::string Name;
    } names[] = {
        {{}, "20240309-070502.txt"},
        {{"20240309-070501.txt", "notes.txt"}, "20240309-070502.txt"},
        {{"20240309-070502.txt"}, "20240309-070502-2.txt"},
        {{"20240309-070502.TXT", "20240309-070502-2.txt"}, "20240309-070502-3.txt"},
    };
    for (const auto& n : names)
        EXPECT_EQ(NewHistoryFileName(At(7, 5, 2), n.Existing), n.Name) << n.Existing.size();

    const Strings folder = {"20240309-070502-10.txt", "notes.txt",
                            "20240309-070502.txt",    "20240309-070502-9.txt",
                            "20240308-235959.txt",    "20240309-070502-1.txt",
                            "20240309-070502-02.txt", "20240309-07050.txt",
                            "20240309-070502.log",    "20240309-070502.txt.1",
                            "2024030x-070502.txt",    "20240309_070502.txt",
                            "20240309-070502-2.TXT",  "20240309-070502-.txt",
                            "20241309-070502.txt",    "20240309-076002.txt"};
    EXPECT_EQ(HistoryFilesOldestFirst(folder), (Strings{"20240308-235959.txt", "20240309-070502.txt",
                                                        "20240309-070502-9.txt", "20240309-070502-10.txt"}));
}

TEST(HistoryLimitTest, TheSettingIsMegabytesAndTheOldestGoFirstButNeverTheCurrentFile) {
    const struct {
        const char* Setting;
        std::uint64_t MegaBytes;
    } settings[] = {{"256", 256},         {"", 256},
                    {" 64\t", 64},        {"0", 0},
                    {" 00 ", 0},          {"abc", 256},
                    {"-5", 256},          {"+5", 256},
                    {"12 MB", 256},       {"1e3", 256},
                    {"$10", 256},         {"1 0", 256},
                    {"1048577", 1048576}, {"99999999999999999999999", 1048576}};
    for (const auto& s : settings)
        EXPECT_EQ(HistoryLimitBytes(s.Setting), s.MegaBytes * MiB) << "'" << s.Setting << "'";
    EXPECT_EQ(HistoryRotationBytes(256 * MiB), 16 * MiB);
    EXPECT_EQ(HistoryRotationBytes(10 * MiB), 5 * MiB);

    const std::vector<THistoryFile> files = {
        {"20240309-070502-2.txt", 16 * MiB}, {"notes.txt", 900 * MiB},
        {"20240301-000000.txt", 16 * MiB},   {"20240309-070502.txt", 16 * MiB},
        {"20240302-000000.txt", 16 * MiB},   {"20240309-070502-10.txt", 16 * MiB}};
    const struct {
        std::string Current;
        std::uint64_t Limit;
        Strings Removed;
    } limits[] = {
        {"", 100 * MiB, {}},
        {"20240309-070502-10.txt", 64 * MiB, {"20240301-000000.txt"}},
        {"",
         40 * MiB,
         {"20240301-000000.txt", "20240302-000000.txt", "20240309-070502.txt", "20240309-070502-2.txt"}},
        {"20240301-000000.txt",
         1 * MiB,
         {"20240302-000000.txt", "20240309-070502.txt", "20240309-070502-2.txt", "20240309-070502-10.txt"}},
    };
    for (const auto& l : limits)
        EXPECT_EQ(HistoryFilesToRemove(files, l.Current, l.Limit), l.Removed) << l.Current << " " << l.Limit;
}

// Earlier runs filled the folder; a new file is started at the start, when one is full and after a switch
// of the log, and each start of a file keeps the folder within the limit.
TEST_F(HistoryTest, FilesStartAtTheStartWhenFullAndAtASwitchWithinTheLimit) {
    Disk.Folders.insert(Folder);
    for (const char* name : {"20240301-080000.txt", "20240302-080000.txt", "20240303-080000.txt"})
        Disk.Files[Folder + "\\" + name].Extra = 120 * MiB;
    Disk.Files[Folder + "\\notes.txt"].Extra = 500 * MiB;

    HandOver.UseLogFile("C:\\Logs\\DebugLog.txt");
    EXPECT_EQ(Flush(), Strings{});
    EXPECT_EQ(Disk.Names(Folder), (Strings{"20240302-080000.txt", "20240303-080000.txt", "notes.txt"}))
        << "room for the new file, and no file before its first line";

    Print("first");
    Print("second");
    EXPECT_EQ(Flush(At(7, 5, 3)), Strings{});
    EXPECT_EQ(File("20240309-070503.txt"),
              "2024-03-09 07:05:02.042\tclient\tfirst\r\n2024-03-09 07:05:02.042\tclient\tsecond\r\n");

    const std::string megaByte(MiB, 'x');
    for (int flush = 0; flush < 2; ++flush) {
        for (int i = 0; i < 8; ++i)
            Print(megaByte);
        Flush(At(7, 5, 3));
    }
    EXPECT_GT(File("20240309-070503.txt").size(), 16 * MiB);
    Print("next");
    Flush(At(7, 5, 3));
    EXPECT_EQ(File("20240309-070503-2.txt"), "2024-03-09 07:05:02.042\tclient\tnext\r\n");
    EXPECT_EQ(Disk.Names(Folder),
              (Strings{"20240303-080000.txt", "20240309-070503-2.txt", "20240309-070503.txt", "notes.txt"}));

    Print("before the switch");
    HandOver.UseLogFile("D:\\Other.log");
    Print("after the switch");
    EXPECT_EQ(Flush(At(7, 6, 0)), Strings{});
    EXPECT_EQ(File("20240309-070503-2.txt").substr(File("20240309-070503-2.txt").rfind("client")),
              "client\tbefore the switch\r\n");
    EXPECT_EQ(Disk.Files[OtherFolder + "\\20240309-070600.txt"].Bytes,
              "2024-03-09 07:05:02.042\tclient\tafter the switch\r\n");
}

// A refused folder and a full disk: one line each time writing stops, the count once it works again, and
// the notices coming back as lines do not start it over.
TEST_F(HistoryTest, AFolderThatCannotBeWrittenCostsOneLineThenTheCountOfWhatWasLost) {
    Disk.Refused.insert(Folder);
    HandOver.UseLogFile("C:\\Logs\\DebugLog.txt");
    Print("lost 1");
    EXPECT_EQ(Flush(), Strings{"***** Cannot write the history " + Folder + ": Access is denied. *****"});
    Print("lost 2");
    Print("lost 3");
    EXPECT_EQ(Flush(), Strings{});

    Disk.Refused.clear();
    Print("kept");
    EXPECT_EQ(Flush(), Strings{"***** 4 lines were not kept in the history " + Folder + " *****"});
    EXPECT_EQ(Flush(), Strings{});
    EXPECT_EQ(File("20240309-070502.txt"),
              "2024-03-09 07:05:02.042\tclient\tkept\r\n"
              "2024-03-09 07:05:02.042\tviewer\t***** 4 lines were not kept in the "
              "history " +
                  Folder + " *****\r\n");

    // The disk fills in the middle of an entry: it stays torn at the end of its file, and the next one
    // starts clean.
    Disk.Room = 10;
    Print("torn");
    Print("lost");
    EXPECT_EQ(Flush(), Strings{"***** Cannot write the history " + Folder +
                               ": There is not enough space on the disk. *****"});
    Print("lost too");
    EXPECT_EQ(Flush(), Strings{});
    Disk.Room = UINT64_MAX;
    Print("kept again");
    EXPECT_EQ(Flush(), Strings{"***** 4 lines were not kept in the history " + Folder + " *****"});
    EXPECT_EQ(File("20240309-070502.txt").substr(File("20240309-070502.txt").size() - 17),
              "*****\r\n2024-03-09");
    EXPECT_EQ(File("20240309-070502-2.txt"), "2024-03-09 07:05:02.042\tclient\tkept again\r\n");
}

class HistoryMemoryTest : public HistoryTest {
  protected:
    HistoryMemoryTest() : HistoryTest(DefaultHistoryLimit, 1000) {}
};

// A writer that falls behind does not make the viewer hold ever more: what does not fit is counted, and
// reported once the lines fit again.
TEST_F(HistoryMemoryTest, LinesBeyondTheBoundAreCountedAndReportedOnceTheyFitAgain) {
    HandOver.UseLogFile("C:\\Logs\\DebugLog.txt");
    for (int i = 0; i < 100; ++i)
        Print("line " + std::to_string(i));
    THistoryBatch batch;
    HandOver.TakeInto(batch);
    const auto kept = std::count(batch.Bytes.begin(), batch.Bytes.end(), '\n');
    const std::uint64_t dropped = batch.Dropped;
    EXPECT_LE(batch.Bytes.size(), 1000u);
    EXPECT_GT(kept, 20);
    EXPECT_EQ(kept + dropped, 100u);
    Strings notices;
    Writer.Write(batch, At(7, 5, 2), notices);
    EXPECT_EQ(notices, Strings{}) << "not while lines are still being lost";
    Print("fits");
    EXPECT_EQ(Flush(), Strings{"***** " + std::to_string(dropped) + " lines were not kept in the history " +
                               Folder + " *****"});
    const std::string file = File("20240309-070502.txt");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), kept + 1);
}

class HistoryOffTest : public HistoryTest {
  protected:
    HistoryOffTest() : HistoryTest("0") {}
};

TEST_F(HistoryOffTest, ALimitOfZeroWritesNothing) {
    HandOver.UseLogFile("C:\\Logs\\DebugLog.txt");
    Print("not kept");
    EXPECT_FALSE(HandOver.HasWork());
    EXPECT_EQ(Flush(), Strings{});
    EXPECT_EQ(Disk.Folders, std::set<std::string>{"C:\\Logs"});
    EXPECT_TRUE(Disk.Files.empty());
}

} // namespace
