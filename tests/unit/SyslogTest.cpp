#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channel/syslog/SyslogFormat.h"
#include "channel/syslog/SyslogForwardQueue.h"
#include "channel/syslog/SyslogFraming.h"
#include "channel/syslog/SyslogLines.h"
#include "channel/syslog/SyslogMessage.h"
#include "channel/syslog/SyslogSettings.h"

namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

const std::string Bom = "\xEF\xBB\xBF";

// --- One message taken apart -------------------------------------------------------------------------------

struct TParsed {
    TSyslogFormat Format;
    int Priority;
    std::string Timestamp, Host, App, ProcId, MsgId, Text;
};

void ExpectParsed(const std::string& bytes, const TParsed& expected) {
    const TSyslogMessage m = ParseSyslogMessage(bytes);
    const TParsed got{m.Format,
                      m.Priority,
                      std::string(m.Timestamp),
                      std::string(m.Host),
                      std::string(m.App),
                      std::string(m.ProcId),
                      std::string(m.MsgId),
                      std::string(m.Text)};
    EXPECT_EQ(got.Format, expected.Format) << bytes;
    EXPECT_EQ(got.Priority, expected.Priority) << bytes;
    EXPECT_EQ(got.Timestamp, expected.Timestamp) << bytes;
    EXPECT_EQ(got.Host, expected.Host) << bytes;
    EXPECT_EQ(got.App, expected.App) << bytes;
    EXPECT_EQ(got.ProcId, expected.ProcId) << bytes;
    EXPECT_EQ(got.MsgId, expected.MsgId) << bytes;
    EXPECT_EQ(got.Text, expected.Text) << bytes;
}

TEST(SyslogMessageTest, Rfc5424WithStructuredDataEscapesAndBom) {
    const auto R = TSyslogFormat::Rfc5424;
    const struct {
        std::string Bytes;
        TParsed Expected;
    } cases[] = {
        // What util-linux logger --rfc5424 sends, with and without --id, --msgid and an SD element of its
        // own.
        {"<13>1 2026-12-10T01:03:18.867325+00:00 vm myapp - - [timeQuality tzKnown=\"1\" isSynced=\"0\"] "
         "hello",
         {R, 13, "2026-12-10T01:03:18.867325+00:00", "vm", "myapp", "", "", "hello"}},
        {R"(<13>1 2026-12-10T01:03:42.705528+00:00 vm myapp 4242 MID [timeQuality tzKnown="1" isSynced="0"])"
         R"([ex@32473 k="a\"b\]c"] with sd)",
         {R, 13, "2026-12-10T01:03:42.705528+00:00", "vm", "myapp", "4242", "MID", "with sd"}},
        {"<13>1 - - root - - - bare", {R, 13, "", "", "root", "", "", "bare"}},
        // The BOM goes; the text keeps its line breaks for the lines to split.
        {"<165>1 2003-10-11T22:14:15.003Z mymachine.example.com evntslog - ID47 [exampleSDID@32473 "
         "iut=\"3\"] " +
             Bom + "An application event\nsecond line",
         {R, 165, "2003-10-11T22:14:15.003Z", "mymachine.example.com", "evntslog", "", "ID47",
          "An application event\nsecond line"}},
        {R"(<0>1 2003-10-11T22:14:15-07:00 h a p m [x a="\\"][y b="]" c=""] ends)",
         {R, 0, "2003-10-11T22:14:15-07:00", "h", "a", "p", "m", "ends"}},
        {"<34>1 2003-10-11T22:14:15Z host app - - -",
         {R, 34, "2003-10-11T22:14:15Z", "host", "app", "", "", ""}},
        {"<34>1 - h a - - - " + Bom, {R, 34, "", "h", "a", "", "", ""}},
    };
    for (const auto& c : cases)
        ExpectParsed(c.Bytes, c.Expected);

    // A header that breaks the grammar keeps the message whole, to be read as it came.
    const std::string broken[] = {
        "<13>1 2026-12-10T01:03:18Z host app",
        "<13>1 12/10/2026 host app - - - x",
        "<13>1 2026-12-10T01:03:18.1234567Z h a - - - x",
        R"(<13>1 - h a - - [x y="z] text)",
        R"(<13>1 - h a - - [x y="z\"] text)",
        "<13>1 - h a - - [] text",
        "<13>1 - h a - - [x y=z] text",
        "<13>1 - h a - - -x",
        "<13>1 - h\x01 a - - - x",
        "<13>1 - " + std::string(256, 'h') + " a - - - x",
        "<13>1 - h " + std::string(49, 'a') + " - - - x",
        "<13>1  h a - - - x",
        "<13>1 - h\xC3\xA9 a - - - x",
    };
    for (const std::string& bytes : broken)
        ExpectParsed(bytes, {TSyslogFormat::None, -1, "", "", "", "", "", bytes});
}

TEST(SyslogMessageTest, Rfc3164IsTakenLenientlyAndAnythingElseWhole) {
    const auto B = TSyslogFormat::Rfc3164;
    const auto N = TSyslogFormat::None;
    const struct {
        std::string Bytes;
        TParsed Expected;
    } cases[] = {
        // What logger --rfc3164 sends, with and without --id.
        {"<13>Dec 10 01:03:25 vm myapp: hello world",
         {B, 13, "Dec 10 01:03:25", "vm", "myapp", "", "", "hello world"}},
        {"<13>Dec 10 01:03:38 vm myapp[4242]: with pid",
         {B, 13, "Dec 10 01:03:38", "vm", "myapp", "4242", "", "with pid"}},
        {"<13>Dec 10 01:03:55 vm myapp: two\nlines",
         {B, 13, "Dec 10 01:03:55", "vm", "myapp", "", "", "two\nlines"}},
        // A space-padded day; the tag right after the timestamp (no hostname); no space after the colon; a
        // PID without the colon.
        {"<14>Dec  1 09:05:00 cron[77]: job done",
         {B, 14, "Dec  1 09:05:00", "", "cron", "77", "", "job done"}},
        {"<14>Jan 01 00:00:00 su: x", {B, 14, "Jan 01 00:00:00", "", "su", "", "", "x"}},
        {"<14>Jan 31 23:59:59 fe80::1 sshd[5]:x",
         {B, 14, "Jan 31 23:59:59", "fe80::1", "sshd", "5", "", "x"}},
        {"<14>Jan 31 23:59:59 h postfix/smtpd[9] x",
         {B, 14, "Jan 31 23:59:59", "h", "postfix/smtpd", "9", "", "x"}},
        // No tag (or one too long to be one): everything after the hostname is the text.
        {"<14>Dec 10 01:03:25 vm just text", {B, 14, "Dec 10 01:03:25", "vm", "", "", "", "just text"}},
        {"<14>Dec 10 01:03:25 vm " + std::string(33, 't') + ": x",
         {B, 14, "Dec 10 01:03:25", "vm", "", "", "", std::string(33, 't') + ": x"}},
        {"<14>Dec 10 01:03:25 vm", {B, 14, "Dec 10 01:03:25", "vm", "", "", "", ""}},
        {"<14>Dec 10 01:03:25", {B, 14, "Dec 10 01:03:25", "", "", "", "", ""}},
        // A PRI without a timestamp: the rest is the text.
        {"<13>plain text", {B, 13, "", "", "", "", "", "plain text"}},
        {"<7>Dec 10 1:03:25 vm a: x", {B, 7, "", "", "", "", "", "Dec 10 1:03:25 vm a: x"}},
        {"<191>Foo 10 01:03:25 vm a: x", {B, 191, "", "", "", "", "", "Foo 10 01:03:25 vm a: x"}},
        {"<13>", {B, 13, "", "", "", "", "", ""}},
        // Neither: kept whole.
        {"", {N, -1, "", "", "", "", "", ""}},
        {"plain text", {N, -1, "", "", "", "", "", "plain text"}},
        {"<192>x", {N, -1, "", "", "", "", "", "<192>x"}},
        {"<1234>x", {N, -1, "", "", "", "", "", "<1234>x"}},
        {"<>x", {N, -1, "", "", "", "", "", "<>x"}},
        {"<13", {N, -1, "", "", "", "", "", "<13"}},
        {"\0<13>x"s, {N, -1, "", "", "", "", "", "\0<13>x"s}},
    };
    for (const auto& c : cases)
        ExpectParsed(c.Bytes, c.Expected);
}

// --- The lines of a message --------------------------------------------------------------------------------

TEST(SyslogLinesTest, EveryLineBreakSplitsAndEveryLineIsSafeForThePane) {
    const struct {
        std::string Text;
        Strings Lines;
    } cases[] = {
        {"", {"> "}},
        {"one", {"> one"}},
        {"one\n", {"> one"}},
        {"one\r\n", {"> one"}},
        {"\n", {"> "}},
        {"a\r\nb\rc\nd", {"> a", "> b", "> c", "> d"}},
        {"a\n\nb\n\n", {"> a", "> ", "> b", "> "}},
        {"a\r\rb", {"> a", "> ", "> b"}},
        // A zero byte inside is replaced, at the end it is a C string's end.
        {"a\0b\0\0"s,
         {"> a\xEF\xBF\xBD"
          "b"}},
        {"a\n\0"s, {"> a"}},
        // Valid UTF-8 stays; each invalid part becomes one U+FFFD.
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", {"> \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"}},
        {"\x80x\xC0\xAFy", {"> \xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBDy"}},
        {"\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x82",
         {"> \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
          "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD"}},
        {"\xE2\x82\nx", {"> \xEF\xBF\xBD", "> x"}},
        {"\xF0\x9F\x98x\xFF", {"> \xEF\xBF\xBDx\xEF\xBF\xBD"}},
    };
    for (const auto& c : cases) {
        Strings lines{"before"};
        AppendSyslogLines("> ", c.Text, lines);
        EXPECT_EQ(lines, [&] {
            Strings expected{"before"};
            expected.insert(expected.end(), c.Lines.begin(), c.Lines.end());
            return expected;
        }()) << c.Text;
    }
}

TEST(SyslogLinesTest, ThePaneLeavesOutMissingFieldsAndTheHistoryDashesThem) {
    const TSyslogMessage full = ParseSyslogMessage("<13>Dec 10 01:03:38 vm myapp[4242]: with pid");
    const TLineOrigin origin = SyslogLineOrigin(full, "192.0.2.7:5514");
    EXPECT_EQ(origin.Source, TLineSource::Network);
    EXPECT_EQ(SyslogPanePrefix(origin), "[vm myapp 4242] ");
    EXPECT_EQ(SyslogHistoryOrigin(origin), "vm myapp 4242 192.0.2.7:5514");

    const TLineOrigin someFields =
        SyslogLineOrigin(ParseSyslogMessage("<13>1 - - root - - - bare"), "[::1]:5514");
    EXPECT_EQ(SyslogPanePrefix(someFields), "[root] ");
    EXPECT_EQ(SyslogHistoryOrigin(someFields), "- root - [::1]:5514");

    // A message without any field is its text alone.
    const TLineOrigin none = SyslogLineOrigin(ParseSyslogMessage("just text"), "");
    EXPECT_EQ(SyslogPanePrefix(none), "");
    EXPECT_EQ(SyslogHistoryOrigin(none), "- - - -");
}

// --- TCP framing -------------------------------------------------------------------------------------------

struct TFramed {
    Strings Frames;
    std::uint64_t Cut = 0;
};

// Feeds the chunks one after the other and ends the connection.
TFramed Frame(const Strings& chunks) {
    TSyslogFramer framer;
    TFramed result;
    std::string_view frame;
    for (const std::string& chunk : chunks) {
        framer.Feed(chunk);
        while (framer.Next(frame))
            result.Frames.emplace_back(frame);
    }
    if (framer.Unfinished(frame))
        result.Frames.emplace_back(frame);
    result.Cut = framer.CutFrames();
    return result;
}

TEST(SyslogFramingTest, BothFramingsMixedOnOneConnectionSplitAnywhere) {
    const std::string logger5424 = "<13>1 2026-12-10T01:03:30.041397+00:00 vm myapp - - [timeQuality "
                                   "tzKnown=\"1\" isSynced=\"0\"] hello world";
    const std::string stream = "102 " + logger5424 + "<13>Dec 10 01:03:34 vm myapp: hello world\n" +
                               "\r\n\n" + "10 two\nlines\n" + "crlf\r\n" + "nul ended\0"s + "1 x" +
                               "12345no count\n" + "9 lf inside";
    const Strings expected{logger5424,      "<13>Dec 10 01:03:34 vm myapp: hello world",
                           "two\nlines\n",  "crlf",
                           "nul ended",     "x",
                           "12345no count", "lf inside"};

    EXPECT_EQ(Frame({stream}).Frames, expected);
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        const TFramed two = Frame({stream.substr(0, split), stream.substr(split)});
        EXPECT_EQ(two.Frames, expected) << "split at " << split;
        EXPECT_EQ(two.Cut, 0u);
    }
    Strings bytes;
    for (char c : stream)
        bytes.emplace_back(1, c);
    EXPECT_EQ(Frame(bytes).Frames, expected);
}

TEST(SyslogFramingTest, LongFramesAreCutAndCountedAndBadCountsAreText) {
    const std::size_t longest = TSyslogFramer::LongestFrame;
    const std::string big(longest + 5000, 'b');

    // Over 64 KiB: the start is the message, the rest is dropped to the frame's end, and the next frame is
    // whole.
    TFramed counted =
        Frame({std::to_string(big.size()) + " " + big.substr(0, 40000), big.substr(40000) + "3 abc"});
    EXPECT_EQ(counted.Frames, (Strings{big.substr(0, longest), "abc"}));
    EXPECT_EQ(counted.Cut, 1u);
    TFramed lined = Frame({big.substr(0, 70000), big.substr(70000) + "\r\nnext\n", big + "\n" + big + "\n"});
    EXPECT_EQ(lined.Frames,
              (Strings{big.substr(0, longest), "next", big.substr(0, longest), big.substr(0, longest)}));
    EXPECT_EQ(lined.Cut, 3u);
    // Exactly 64 KiB is whole, with or without its CR.
    const std::string exact(longest, 'e');
    TFramed whole = Frame({std::to_string(longest) + " " + exact, exact + "\r", "\n" + exact + "\n"});
    EXPECT_EQ(whole.Frames, (Strings{exact, exact, exact}));
    EXPECT_EQ(whole.Cut, 0u);

    // A count too long to be one, or digits not followed by a space, start a line-ended frame.
    TFramed bad = Frame({"99999999999 absurd\n", "1234567890 ten digits\n", "12x\n", "0 zero\n", "7"});
    EXPECT_EQ(bad.Frames, (Strings{"99999999999 absurd", "1234567890 ten digits", "12x", "0 zero", "7"}));
    EXPECT_EQ(bad.Cut, 0u);
    // The longest count is honoured without waiting for what it announces: its first 64 KiB go out.
    TFramed huge = Frame({"999999999 " + big});
    EXPECT_EQ(huge.Frames, Strings{big.substr(0, longest)});
    EXPECT_EQ(huge.Cut, 1u);
}

TEST(SyslogFramingTest, WhatArrivedOfAnUnfinishedFrameIsDelivered) {
    // A counted frame whose end never came is delivered as far as it got, and counted as cut.
    TFramed counted = Frame({"5 whole", "20 <13>par"});
    EXPECT_EQ(counted.Frames, (Strings{"whole", "<13>par"}));
    EXPECT_EQ(counted.Cut, 1u);
    EXPECT_EQ(Frame({"20 "}).Cut, 1u);
    EXPECT_EQ(Frame({"20 "}).Frames, Strings{});
    // A line-ended frame without its LF is taken as whole.
    TFramed lined = Frame({"first\n", "last line\r"});
    EXPECT_EQ(lined.Frames, (Strings{"first", "last line"}));
    EXPECT_EQ(lined.Cut, 0u);
    EXPECT_EQ(Frame({"12"}).Frames, Strings{"12"});
    EXPECT_EQ(Frame({"\r\n"}).Frames, Strings{});
}

// --- The forwarded message ---------------------------------------------------------------------------------

TLineTime Time(int utcOffsetMinutes) {
    return TLineTime{2026, 12, 10, 1, 2, 3, 456, utcOffsetMinutes};
}

TLineOrigin WindowsOutput(std::uint32_t processId, const std::string& processName) {
    TLineOrigin origin;
    origin.Source = TLineSource::WindowsOutput;
    origin.ProcessId = processId;
    origin.ProcessName = processName;
    return origin;
}

TEST(SyslogFormatTest, EveryFieldOfTheForwardedMessage) {
    const TSyslogFormatter udp("BUILD-PC", TSyslogTransport::Udp);
    TLineOrigin client;
    client.Source = TLineSource::Client;
    EXPECT_EQ(udp.Format(Time(60), client, "hello"),
              "<15>1 2026-12-10T01:02:03.456+01:00 BUILD-PC dravik - - - " + Bom + "hello");
    EXPECT_EQ(udp.Format(Time(-330), WindowsOutput(4711, "Game.EXE"), "x"),
              "<15>1 2026-12-10T01:02:03.456-05:30 BUILD-PC Game 4711 - - " + Bom + "x");

    EXPECT_EQ(SyslogTimestamp(Time(0)), "2026-12-10T01:02:03.456+00:00");
    EXPECT_EQ(SyslogTimestamp(TLineTime{2026, 13, 1, 0, 0, 0, 0, 0}), "-");
    EXPECT_EQ(SyslogTimestamp(Time(24 * 60)), "-");

    // Printable ASCII only: a run of anything else is one '_'; the lengths are cut.
    EXPECT_EQ(SyslogHostName(""), "-");
    EXPECT_EQ(SyslogHostName("PC ONE\xC3\xA9"), "PC_ONE_");
    EXPECT_EQ(SyslogHostName(std::string(300, 'h')), std::string(255, 'h'));
    EXPECT_EQ(SyslogAppName(WindowsOutput(1, "My \xC3\x9C"
                                             "ber App.exe")),
              "My_ber_App");
    EXPECT_EQ(SyslogAppName(WindowsOutput(1, std::string(60, 'a') + ".exe")), std::string(48, 'a'));
    EXPECT_EQ(SyslogAppName(WindowsOutput(1, "")), "-");
    EXPECT_EQ(SyslogAppName(WindowsOutput(1, "setup.exe.bak")), "setup.exe.bak");
    TLineOrigin viewer;
    EXPECT_EQ(SyslogAppName(viewer), "dravik");
    EXPECT_EQ(SyslogProcId(viewer), "-");

    EXPECT_TRUE(IsForwardedSource(TLineSource::Client));
    EXPECT_TRUE(IsForwardedSource(TLineSource::WindowsOutput));
    EXPECT_TRUE(IsForwardedSource(TLineSource::Viewer));
    EXPECT_FALSE(IsForwardedSource(TLineSource::Network));
}

TEST(SyslogFormatTest, TheTextIsValidUtf8TheMessageFitsADatagramAndTcpCountsItsOctets) {
    const TSyslogFormatter tcp("pc", TSyslogTransport::Tcp);
    const std::string message = tcp.Format(Time(0), TLineOrigin(), "bad \xFF zero \0 \xC3\xA9"s);
    const std::string expected = "<15>1 2026-12-10T01:02:03.456+00:00 pc dravik - - - " + Bom +
                                 "bad \xEF\xBF\xBD zero \xEF\xBF\xBD \xC3\xA9";
    EXPECT_EQ(message, std::to_string(expected.size()) + " " + expected);

    // What the viewer sends, it reads back field for field.
    TSyslogFramer framer;
    framer.Feed(message);
    std::string_view frame;
    ASSERT_TRUE(framer.Next(frame));
    const TSyslogMessage back = ParseSyslogMessage(frame);
    EXPECT_EQ(back.Format, TSyslogFormat::Rfc5424);
    EXPECT_EQ(back.Priority, 15);
    EXPECT_EQ(back.Host, "pc");
    EXPECT_EQ(back.App, "dravik");
    EXPECT_EQ(back.Text, "bad \xEF\xBF\xBD zero \xEF\xBF\xBD \xC3\xA9");

    // A line too long for one datagram is cut before a character, never inside one.
    const TSyslogFormatter udp("pc", TSyslogTransport::Udp);
    for (std::size_t extra = 0; extra < 3; ++extra) {
        const std::string text =
            std::string(extra, 'y') + std::string(65450, 'x') + "\xE2\x82\xAC\xE2\x82\xAC";
        const std::string cut = udp.Format(Time(0), TLineOrigin(), text);
        EXPECT_LE(cut.size(), TSyslogFormatter::LongestMessage);
        EXPECT_GE(cut.size(), TSyslogFormatter::LongestMessage - 2);
        Strings lines;
        AppendSyslogLines("", cut, lines);
        EXPECT_EQ(lines, Strings{cut}) << "the cut left a broken character";
    }
}

// --- The forwarding queue and its retries ------------------------------------------------------------------

TEST(SyslogForwardQueueTest, TheQueueIsBoundedAndNothingLeavesItUnsent) {
    TSyslogForwardQueue queue("collector:514");
    const std::string mebibyte(1024 * 1024, 'm');
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(queue.Push(mebibyte));
    EXPECT_EQ(queue.Bytes(), TSyslogForwardQueue::Capacity);
    EXPECT_FALSE(queue.Push("x"));
    EXPECT_FALSE(queue.Push(mebibyte));
    EXPECT_EQ(queue.Dropped(), 2u);

    // A batch stays queued until it is sent; a failed send loses nothing.
    std::string batch;
    EXPECT_EQ(queue.Peek(batch, 0), 1u);
    EXPECT_EQ(batch.size(), mebibyte.size());
    EXPECT_EQ(queue.Peek(batch, 3 * mebibyte.size() + 1), 3u);
    queue.Failed(0);
    EXPECT_EQ(queue.Bytes(), TSyslogForwardQueue::Capacity);
    queue.Sent(3);
    EXPECT_EQ(queue.Bytes(), 5 * mebibyte.size());
    EXPECT_TRUE(queue.Push("a"));
    EXPECT_TRUE(queue.Push("b"));
    queue.Sent(5);
    EXPECT_EQ(queue.Peek(batch, 100), 2u);
    EXPECT_EQ(batch, "ab");
    queue.Sent(7);
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Bytes(), 0u);
    EXPECT_EQ(queue.Peek(batch, 100), 0u);
}

TEST(SyslogForwardQueueTest, LinesThatDidNotFitAreToldOnceTheConnectionIsBack) {
    TSyslogForwardQueue queue("[::1]:514");
    const std::string half(TSyslogForwardQueue::Capacity / 2, 'h');
    queue.Push(half);
    queue.Push(half);
    queue.Push("lost");
    queue.Push("lost");
    queue.Failed(0);
    EXPECT_EQ(queue.TakeDropNotice(), "") << "not while the connection is down";
    queue.Sent(1);
    EXPECT_EQ(queue.TakeDropNotice(), "***** 2 lines were not forwarded to [::1]:514 *****");
    EXPECT_EQ(queue.TakeDropNotice(), "");
    EXPECT_EQ(queue.Dropped(), 0u);

    // Lost to a collector that is too slow: told once the queue has drained to half, not at every send.
    queue.Push(half);
    queue.Push("lost");
    queue.Sent(0);
    EXPECT_EQ(queue.TakeDropNotice(), "");
    queue.Sent(1);
    EXPECT_EQ(queue.TakeDropNotice(), "***** 1 line was not forwarded to [::1]:514 *****");
}

TEST(SyslogForwardQueueTest, RetriesBackOffToThirtySecondsAndTheCloseWaitsTwo) {
    TSyslogForwardQueue queue("h:1");
    EXPECT_EQ(queue.RetryAt(), 0u);
    std::vector<std::uint64_t> delays;
    std::uint64_t now = 5000;
    for (int i = 0; i < 8; ++i) {
        queue.Failed(now);
        delays.push_back(queue.RetryAt() - now);
        now = queue.RetryAt();
    }
    EXPECT_EQ(delays, (std::vector<std::uint64_t>{1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));
    // A connection that goes through starts again from 1 s.
    queue.Sent(0);
    EXPECT_EQ(queue.RetryAt(), 0u);
    queue.Failed(now);
    EXPECT_EQ(queue.RetryAt(), now + 1000);

    queue.Push("left");
    EXPECT_FALSE(queue.Finished(now));
    queue.Close(100);
    queue.Close(1000);
    EXPECT_TRUE(queue.Closing());
    EXPECT_EQ(queue.CloseDeadline(), 2100u);
    EXPECT_FALSE(queue.Finished(2099));
    EXPECT_TRUE(queue.Finished(2100));
    queue.Sent(1);
    EXPECT_TRUE(queue.Finished(150));
}

// --- The settings ------------------------------------------------------------------------------------------

TEST(SyslogSettingsTest, PortsAreDecimalFromOneTo65535) {
    std::uint16_t port = 7;
    std::string error;
    EXPECT_TRUE(ParseSyslogReceivePort("", port, error));
    EXPECT_EQ(port, 0);
    EXPECT_EQ(FormatSyslogReceivePort(0), "");
    for (const char* text : {"1", "5514", "65535", "00514"}) {
        EXPECT_TRUE(ParseSyslogReceivePort(text, port, error)) << text;
        EXPECT_EQ(FormatSyslogReceivePort(port), std::to_string(std::stoi(text)));
    }
    const std::string rejected[] = {"0",  "65536", "99999999999", "-1",  "+5",     " 5",
                                    "5 ", "0x10",  "5a",          "1e3", "000514", "5\0"s};
    for (const std::string& text : rejected) {
        port = 7;
        EXPECT_FALSE(ParseSyslogReceivePort(text, port, error)) << text;
        EXPECT_EQ(port, 7);
        EXPECT_EQ(error, "'" + text + "' is not a port number from 1 to 65535");
    }
}

TEST(SyslogSettingsTest, ForwardingIsUdpOrTcpToAHostAndPort) {
    const struct {
        const char* Text;
        TSyslogTransport Transport;
        const char* Host;
        std::uint16_t Port;
        const char* Formatted;
    } accepted[] = {
        {"udp://collector.example.com:514", TSyslogTransport::Udp, "collector.example.com", 514, nullptr},
        {"tcp://127.0.0.1:6514", TSyslogTransport::Tcp, "127.0.0.1", 6514, nullptr},
        {"tcp://[::1]:514", TSyslogTransport::Tcp, "::1", 514, nullptr},
        {"udp://[fe80::1%eth0]:1", TSyslogTransport::Udp, "fe80::1%eth0", 1, nullptr},
        {"TCP://Log_Host:65535", TSyslogTransport::Tcp, "Log_Host", 65535, "tcp://Log_Host:65535"},
    };
    for (const auto& a : accepted) {
        TSyslogForward forward;
        std::string error;
        ASSERT_TRUE(ParseSyslogForward(a.Text, forward, error)) << a.Text << ": " << error;
        EXPECT_EQ(forward.Transport, a.Transport);
        EXPECT_EQ(forward.Host, a.Host);
        EXPECT_EQ(forward.Port, a.Port);
        EXPECT_EQ(FormatSyslogForward(forward), a.Formatted ? a.Formatted : a.Text);
    }
    TSyslogForward off;
    std::string error;
    EXPECT_TRUE(ParseSyslogForward("", off, error));
    EXPECT_EQ(off.Host, "");
    EXPECT_EQ(FormatSyslogForward(off), "");
    EXPECT_EQ(SyslogDestination(TSyslogForward{TSyslogTransport::Tcp, "::1", 514}), "[::1]:514");

    const struct {
        std::string Text;
        std::string Error;
    } rejected[] = {
        {"collector:514", "'collector:514' is not udp://host:port or tcp://host:port"},
        {"http://collector:514", "'http://collector:514' is not udp://host:port or tcp://host:port"},
        {"udp://collector", "'udp://collector' has no port: udp://host:port or tcp://host:port"},
        {"udp://[::1]", "'udp://[::1]' has no port: udp://host:port or tcp://host:port"},
        {"udp://:514", "'udp://:514' has no host: udp://host:port or tcp://host:port"},
        {"udp://::1:514", "'udp://::1:514' has an IPv6 address without brackets, as in udp://[::1]:514"},
        {"udp://collector:0", "'0' is not a port number from 1 to 65535"},
        {"udp://collector:514/", "'514/' is not a port number from 1 to 65535"},
        {"udp://user@collector:514", "'user@collector' is not a host name or an IP address"},
        {"udp://[collector]:514", "'[collector]' is not a host name or an IP address"},
        {"udp://col lector:514", "'col lector' is not a host name or an IP address"},
        {"udp://-x:514", "'-x' is not a host name or an IP address"},
        {"udp://c\0x:514"s, "'c\0x' is not a host name or an IP address"s},
    };
    for (const auto& r : rejected) {
        TSyslogForward forward{TSyslogTransport::Tcp, "kept", 9};
        std::string message;
        EXPECT_FALSE(ParseSyslogForward(r.Text, forward, message)) << r.Text;
        EXPECT_EQ(message, r.Error);
        EXPECT_EQ(forward.Host, "kept");
    }

    // The host box: a name or an address, an IPv6 address with or without its brackets.
    std::string host;
    EXPECT_TRUE(ParseSyslogHost("[::1]", host, error));
    EXPECT_EQ(host, "::1");
    EXPECT_TRUE(ParseSyslogHost("2001:db8::10", host, error));
    EXPECT_FALSE(ParseSyslogHost("", host, error));
    EXPECT_EQ(error, "No host is given");
}

} // namespace
