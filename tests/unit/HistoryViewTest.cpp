#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/Utf8.h"
#include "fakes/MemoryRegistry.h"
#include "shell/SettingsStore.h"
#include "shell/historyview/BlockMatch.h"
#include "shell/historyview/CaseFold.h"
#include "shell/historyview/HistoryExport.h"
#include "shell/historyview/HistoryFileNames.h"
#include "shell/historyview/HistoryFolder.h"
#include "shell/historyview/HistoryForm.h"
#include "shell/historyview/HistoryLine.h"
#include "shell/historyview/HistoryLock.h"
#include "shell/historyview/HistoryModel.h"
#include "shell/historyview/HistoryPlacement.h"
#include "shell/historyview/HistoryRowCache.h"
#include "shell/historyview/HistoryStatus.h"
#include "shell/historyview/TextPattern.h"

namespace {

// The history folder in memory: file names to bytes.
class TMemoryHistoryFolder : public IHistoryFolder {
  public:
    std::map<std::string, std::string> Files;
    std::set<std::string> Unreadable;
    bool Missing = false;

    bool ListFiles(std::vector<THistoryFileEntry>& files) override {
        if (Missing)
            return false;
        for (const auto& [name, bytes] : Files)
            files.push_back(THistoryFileEntry{name, bytes.size()});
        return true;
    }
    bool ReadFile(const std::string& name, std::uint64_t offset, char* buffer, std::size_t size,
                  std::size_t& read) override {
        const auto file = Files.find(name);
        if (file == Files.end() || Unreadable.count(name) != 0 || offset > file->second.size())
            return false;
        read = std::min<std::size_t>(size, file->second.size() - offset);
        std::memcpy(buffer, file->second.data() + offset, read);
        return true;
    }
};

class TMutexLock : public IHistoryLock {
  public:
    void Enter() override { FMutex.lock(); }
    void Leave() override { FMutex.unlock(); }

  private:
    std::mutex FMutex;
};

std::string Entry(const std::string& origin, const std::string& text) {
    return "2024-05-01 10:00:00.000\t" + origin + "\t" + text + "\r\n";
}

// Entries from the texts, all of origin "app".
std::string Entries(const std::vector<std::string>& texts) {
    std::string bytes;
    for (const std::string& text : texts)
        bytes += Entry("app", text);
    return bytes;
}

struct THistoryView {
    TMemoryHistoryFolder Folder;
    TMutexLock Lock;
    THistoryModel Model{Folder, Lock};
    THistoryRowCache Cache{Model};

    // Runs the background work until there is none, as the window's thread would see it afterwards.
    void Settle() {
        for (int step = 0; step < 100000 && Model.Step() != THistoryWork::Idle; ++step) {
        }
    }
    void Refresh() {
        Model.Refresh();
        Settle();
    }
    std::string Text(std::uint32_t row) {
        const THistoryRow* shown = Cache.Row(row);
        return shown == nullptr ? "(none)" : Utf8FromUtf16(shown->Text);
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (std::uint32_t row = 0; row < Model.Counts().Shown; ++row)
            texts.push_back(Text(row));
        return texts;
    }
    THistoryFindResult FindNow(const std::string& text, std::uint32_t from, bool forward, bool included) {
        const std::uint32_t request = Model.Find(text, from, forward, included);
        Settle();
        const THistoryFindResult result = Model.FindResult();
        EXPECT_EQ(result.Request, request);
        return result;
    }
};

using TTexts = std::vector<std::string>;

TEST(HistoryFileNamesTest, OnlyTheHistorysNamesOldestFirstByTimeThenNumber) {
    std::vector<THistoryFileEntry> listing;
    for (const char* name :
         {"20240501-100000-10.txt", "20240501-100000-2.txt", "20240501-100000.txt", "20231231-235959.TXT",
          "20240501-100001.txt", "DebugLog.txt", "20240501-100000-1.txt", "20240501-100000-02.txt",
          "20241301-100000.txt", "20240501-250000.txt", "20240501_100000.txt", "20240501-100000.log",
          "20240501-100000-.txt", "x.txt"})
        listing.push_back(THistoryFileEntry{name, 1});
    std::vector<std::string> names;
    for (const THistoryFileEntry& file : HistoryFilesInOrder(listing))
        names.push_back(file.Name);
    EXPECT_EQ(names, TTexts({"20240501-100000.txt", "20240501-100000-2.txt", "20240501-100000-10.txt",
                             "20240501-100001.txt"}));
}

TEST(HistoryIndexTest, FollowsTheNewestFileGrowingNewFilesAndTheOldestRemoved) {
    THistoryView view;
    view.Folder.Files["20240501-100000.txt"] = Entries({"a1", "a2"});
    view.Folder.Files["20240501-100000-2.txt"] = Entries({"b1"});
    // The writer is in the middle of a line: it is not a row until its line break is there.
    view.Folder.Files["20240501-110000.txt"] = Entries({"c1"}) + "2024-05-01 10:00:00.000\tclient\tc2 unfin";
    view.Folder.Files["notes.txt"] = Entries({"not part of the history"});
    view.Settle();
    EXPECT_EQ(view.Texts(), TTexts({"a1", "a2", "b1", "c1"}));
    EXPECT_FALSE(view.Model.Counts().Reading);

    THistoryFollow follow;
    follow.Stop(view.Model.Counts().ShownTotal());
    view.Folder.Files["20240501-110000.txt"] +=
        "ished\r\n" + Entries({"c3"}) + "2024-05-01 10:00:00.000\tclient\tc4";
    view.Refresh();
    EXPECT_EQ(view.Texts(), TTexts({"a1", "a2", "b1", "c1", "c2 unfinished", "c3"}));
    EXPECT_EQ(follow.Arrived(view.Model.Counts().ShownTotal()), 2u);

    // A newer file: the older one will not grow any more, and its unfinished line is a row of its own.
    view.Folder.Files["20240501-120000.txt"] = Entries({"d1"});
    view.Refresh();
    EXPECT_EQ(view.Texts(), TTexts({"a1", "a2", "b1", "c1", "c2 unfinished", "c3", "c4", "d1"}));

    // The limit removes the oldest file: its rows leave the top, and the count of rows that arrived
    // since the view stopped following does not change.
    view.Folder.Files.erase("20240501-100000.txt");
    view.Refresh();
    EXPECT_EQ(view.Texts(), TTexts({"b1", "c1", "c2 unfinished", "c3", "c4", "d1"}));
    THistoryCounts counts = view.Model.Counts();
    EXPECT_EQ(counts.ShownRemoved, 2u);
    EXPECT_EQ(follow.Arrived(counts.ShownTotal()), 4u);
    EXPECT_EQ(counts.Resets, 0u);

    // The same with a filter: the rows still shown keep their text.
    view.Model.SetFilter("c");
    view.Settle();
    EXPECT_EQ(view.Texts(), TTexts({"c1", "c2 unfinished", "c3", "c4"}));
    view.Folder.Files.erase("20240501-100000-2.txt");
    view.Folder.Files["20240501-120000.txt"] += Entries({"d2 c"});
    view.Refresh();
    EXPECT_EQ(view.Texts(), TTexts({"c1", "c2 unfinished", "c3", "c4", "d2 c"}));
    view.Folder.Files.erase("20240501-110000.txt");
    view.Refresh();
    EXPECT_EQ(view.Texts(), TTexts({"d2 c"}));
    counts = view.Model.Counts();
    EXPECT_EQ(counts.Rows, 2u);
    EXPECT_EQ(counts.ShownRemoved, 6u);
    EXPECT_EQ(counts.Resets, 0u);

    // A file that shrank cannot be followed row by row: the rows are read anew.
    view.Folder.Files["20240501-120000.txt"] = Entries({"e1 c"});
    view.Refresh();
    EXPECT_EQ(view.Texts(), TTexts({"e1 c"}));
    EXPECT_EQ(view.Model.Counts().Resets, 1u);
}

TEST(HistoryIndexTest, UnreadableFilesAndForeignEditsNeverStopTheRest) {
    THistoryView view;
    view.Folder.Files["20240501-100000.txt"] = Entries({"a1"});
    view.Folder.Files["20240501-100001.txt"] = Entries({"locked"});
    // An editor's byte order mark and lone line feeds.
    view.Folder.Files["20240501-100002.txt"] = "\xEF\xBB\xBF" + Entries({"b1"}) + "free text\nlast\n";
    view.Folder.Files["20240501-100003.txt"] = Entries({"newest"});
    view.Folder.Unreadable = {"20240501-100001.txt", "20240501-100003.txt"};
    view.Settle();
    EXPECT_EQ(view.Texts(), TTexts({"a1", "b1", "free text", "last"}));
    EXPECT_EQ(view.Model.Counts().UnreadableFiles, 1u);
    EXPECT_EQ(view.Cache.Row(4), nullptr);

    // The newest file is tried again at the next look at the folder; the older one stays passed over.
    view.Folder.Unreadable.clear();
    view.Refresh();
    EXPECT_EQ(view.Texts(), TTexts({"a1", "b1", "free text", "last", "newest"}));

    // A folder that cannot be listed for a while keeps its rows.
    view.Folder.Missing = true;
    view.Refresh();
    EXPECT_FALSE(view.Model.Counts().FolderListed);
    EXPECT_EQ(view.Model.Counts().Rows, 5u);
}

// Files of several blocks, with a row longer than a block: rows across block boundaries, and the filter
// both applied while the files are read and applied to rows read before.
TEST(HistoryIndexTest, RowsAcrossBlocksWithTheFilterSetBeforeOrAfterReading) {
    std::string bytes;
    for (int row = 0; row < 40000; ++row) {
        const std::string number = std::to_string(100000 + row);
        bytes += Entry("client", "row " + number + " end" + (row == 30000 ? std::string(3 << 19, 'x') : ""));
    }
    // Rows 0 and 512 are drawn from one block and share a slot of the row cache.
    const std::string filter = "ROW 12999?;row 13000*END;-row 129995;row 100000;row 100512";
    // A row longer than a block shows cut: the time and origin take 31 bytes.
    const std::size_t longRowShown = 64 * 1024 - 31;
    for (const bool filterFirst : {true, false}) {
        THistoryView view;
        view.Folder.Files["20240501-100000.txt"] = bytes;
        view.Folder.Files["20240501-100001.txt"] = Entries({"row 129999 again"});
        if (filterFirst)
            view.Model.SetFilter(filter);
        // A find given before any row is read waits for the rows.
        const std::uint32_t request = view.Model.Find("ROW 139999", 0, true, true);
        view.Settle();
        if (!filterFirst) {
            EXPECT_EQ(view.Model.FindResult().Row, 39999u);
            EXPECT_EQ(view.Model.FindResult().Request, request);
            EXPECT_EQ(view.Model.Counts().Rows, 40001u);
            EXPECT_EQ(view.Text(29999), "row 129999 end");
            EXPECT_EQ(view.Text(30000).size(), longRowShown);
            EXPECT_EQ(view.Text(30001), "row 130001 end");
            view.Model.SetFilter(filter);
            view.Settle();
        }
        TTexts expected = {"row 100000 end", "row 100512 end"};
        for (int row = 29990; row < 30000; ++row)
            if (row != 29995)
                expected.push_back("row 1" + std::to_string(row) + " end");
        expected.push_back("(long)");
        for (int row = 30001; row < 30010; ++row)
            expected.push_back("row 1" + std::to_string(row) + " end");
        expected.push_back("row 129999 again");
        TTexts texts = view.Texts();
        if (texts.size() > 11 && texts[11].size() == longRowShown)
            texts[11] = "(long)";
        EXPECT_EQ(texts, expected) << (filterFirst ? "filter set first" : "filter set after");
        EXPECT_EQ(ShownStatusText(view.Model.Counts()), "22 of 40001 lines shown");
    }
}

TEST(HistoryRowTest, FieldsSplitAtTheFirstTwoTabsAndOtherLinesAreText) {
    const std::string time = "2024-05-01 10:00:00.123";
    const struct {
        std::string Line, Time, Origin, Text;
    } cases[] = {
        {time + "\tclient\ttext\r\n", time, "client", "text"},
        {time + "\t1234 app.exe\ta\tb\t\r\n", time, "1234 app.exe", "a\tb\t"},
        {time + "\tviewer\t\n", time, "viewer", ""},
        {time + "\t\t\r\n", time, "", ""},
        {"no fields at all\r\n", "", "", "no fields at all"},
        {time + "\tone tab only\r\n", "", "", time + "\tone tab only"},
        {"2024-05-01 10:00:00\tclient\tno milliseconds", "", "",
         "2024-05-01 10:00:00\tclient\tno milliseconds"},
        {"\tclient\ttext", "", "", "\tclient\ttext"},
        {"lone cr\r inside\r\n", "", "", "lone cr\r inside"},
    };
    THistoryRow row;
    for (const auto& expected : cases) {
        DecodeHistoryRow(expected.Line, row);
        EXPECT_EQ(Utf8FromUtf16(row.Time), expected.Time) << expected.Line;
        EXPECT_EQ(Utf8FromUtf16(row.Origin), expected.Origin) << expected.Line;
        EXPECT_EQ(Utf8FromUtf16(row.Text), expected.Text) << expected.Line;
    }
}

TEST(HistoryRowTest, Utf8DecodesWithOneReplacementPerBadSequence) {
    const struct {
        std::string Bytes;
        std::u16string Text;
    } cases[] = {
        {"plain", u"plain"},
        {"\xC3\xA9\xD0\x94\xE2\x82\xAC", u"\u00E9\u0414\u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        // A sequence cut short counts once; an overlong form and an encoded surrogate byte by byte.
        {"\xE2\x82"
         "A",
         u"\uFFFDA"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"end \xF0\x9F\x98", u"end \uFFFD"},
        {"\xEF\xBF\xBD", u"\uFFFD"},
    };
    for (const auto& expected : cases) {
        EXPECT_EQ(Utf16FromUtf8(expected.Bytes), expected.Text) << expected.Bytes;
        std::string valid;
        AppendValidUtf8(expected.Bytes, valid);
        EXPECT_EQ(valid, Utf8FromUtf16(expected.Text)) << expected.Bytes;
    }
    EXPECT_EQ(Utf8FromUtf16(u"a\xD800z\U0001F600"), "a\xEF\xBF\xBDz\xF0\x9F\x98\x80");
}

TEST(HistoryFilterTest, IncludesExcludesWildcardsAndCaseBeyondAscii) {
    THistoryView view;
    view.Folder.Files["20240501-100000.txt"] =
        Entry("client", "Connection opened") + Entry("1234 app.exe", "Error: disk full") +
        Entry("viewer", "ERROR in module") + Entry("client", "Ошибка сети") +
        Entry("client", "ΣΦΑΛΜΑ δίσκος") + Entry("client", "Fehler: GRÖẞE überschritten, Größe") +
        Entry("5678 tool.exe", "warning\tindented") + "free text without fields\r\n" +
        Entry("client", "Zdeněk ČAPEK") + Entry("client", "Ελλάδα ΆΈΉ");
    view.Settle();
    const TTexts all = view.Texts();
    ASSERT_EQ(all.size(), 10u);
    const struct {
        const char* Terms;
        std::vector<int> Rows;
    } cases[] = {
        {"", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"error", {1, 2}},
        {"ERROR; warning", {1, 2, 6}},
        {"-error", {0, 3, 4, 5, 6, 7, 8, 9}},
        {"error;-disk", {2}},
        {"  error ;  ; - ; -  disk ", {2}},
        {"*", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"app.exe", {1}},
        {"-client;-exe", {2, 7}},
        // Within the origin or the text, never across the tab between them, never in the time.
        {"exe*disk", {}},
        {"exe\tError", {}},
        {"2024", {}},
        {"err*full", {1}},
        {"e?ror", {1, 2}},
        {"c?ient", {0, 3, 4, 5, 8, 9}},
        {"warning\tind", {6}},
        {"free text", {7}},
        {"ОШИБКА", {3}},
        {"сЕтИ", {3}},
        {"σφαλμα", {4}},
        {"ΔΊΣΚΟΣ", {4}},
        {"ελλάδα άέή", {9}},
        {"grö?e", {5}},
        {"ÜBERSCHRITTEN", {5}},
        {"zdeněk čapek", {8}},
        {"?apek;-zden?k", {}},
    };
    for (const auto& filter : cases) {
        view.Model.SetFilter(filter.Terms);
        view.Settle();
        TTexts expected;
        for (const int row : filter.Rows)
            expected.push_back(all[static_cast<std::size_t>(row)]);
        EXPECT_EQ(view.Texts(), expected) << filter.Terms;
    }
    EXPECT_FALSE(view.Model.SetFilter(" ?apek ; -zden?k;"));
}

// The search over a block, which looks for the rarest byte of a term first, against a plain matcher.
std::u32string Folded(std::string_view utf8) {
    std::u32string codes;
    for (const char* p = utf8.data(); p < utf8.data() + utf8.size();) {
        std::size_t length;
        codes.push_back(FoldCase(DecodeUtf8(p, utf8.data() + utf8.size(), length)));
        p += length;
    }
    return codes;
}

bool WildcardMatchesWhole(const std::u32string& pattern, std::size_t p, const std::u32string& text,
                          std::size_t t) {
    if (p == pattern.size())
        return t == text.size();
    if (pattern[p] == '*')
        return WildcardMatchesWhole(pattern, p + 1, text, t) ||
               (t < text.size() && WildcardMatchesWhole(pattern, p, text, t + 1));
    return t < text.size() && (pattern[p] == '?' || pattern[p] == text[t]) &&
           WildcardMatchesWhole(pattern, p + 1, text, t + 1);
}

bool FieldContains(std::string_view field, const std::string& term, bool wildcards) {
    const std::u32string text = Folded(field);
    const std::u32string pattern = Folded(term);
    if (!wildcards)
        return text.find(pattern) != std::u32string::npos;
    return WildcardMatchesWhole(U"*" + pattern + U"*", 0, text, 0);
}

TEST(HistoryFilterTest, TheBlockSearchFindsWhatAPlainMatcherFinds) {
    const std::vector<std::string> pieces = {"a", "B", "x", " ", "\t",   "é", "É", "д",
                                             "Д", "σ", "ς", "Σ", "\xFF", "?", "*"};
    std::mt19937 random(20240501);
    const auto piece = [&] { return pieces[random() % pieces.size()]; };
    for (int round = 0; round < 300; ++round) {
        TRowBlock block;
        std::string bytes;
        std::vector<THistoryFields> fields;
        for (int row = 0; row < 40; ++row) {
            std::string origin, text;
            for (unsigned i = random() % 4; i > 0; --i)
                origin += piece();
            for (unsigned i = random() % 8; i > 0; --i)
                text += piece();
            const std::string line = random() % 4 == 0 ? text + "\r\n" : Entry(origin, text);
            block.Rows.push_back(TRowBlock::TRow{static_cast<std::uint32_t>(bytes.size()),
                                                 static_cast<std::uint32_t>(bytes.size() + line.size())});
            bytes += line;
        }
        block.Bytes.assign(bytes.begin(), bytes.end());
        std::string term;
        for (unsigned i = 1 + random() % 4; i > 0; --i)
            term += piece();
        for (const bool wildcards : {true, false}) {
            std::vector<unsigned char> flags(block.Rows.size(), 0);
            MarkMatchingRows(TTextPattern(term, wildcards), block, TMarkRule{}, flags);
            for (std::size_t row = 0; row < block.Rows.size(); ++row) {
                const TRowBlock::TRow& place = block.Rows[row];
                const THistoryFields line = SplitHistoryLine(
                    WithoutLineBreak(std::string_view(bytes).substr(place.Begin, place.End - place.Begin)));
                const bool expected =
                    FieldContains(line.Origin, term, wildcards) || FieldContains(line.Text, term, wildcards);
                ASSERT_EQ(flags[row] != 0, expected) << "term '" << term << "' row '" << line.Origin << "' '"
                                                     << line.Text << "' wildcards " << wildcards;
            }
        }
    }
}

TEST(HistoryFindTest, NextAndPreviousShownRowWrappingAround) {
    THistoryView view;
    view.Folder.Files["20240501-100000.txt"] =
        Entries({"alpha", "beta", "alpha two", "gamma", "ALPHA three"}) + Entry("alpha.exe", "origin");
    view.Settle();
    const struct {
        const char* Text;
        std::uint32_t From;
        bool Forward, Included;
        const char* Status;
    } cases[] = {
        {"alpha", 0, true, true, "Line 1 of 6"},
        {"alpha", 0, true, false, "Line 3 of 6"},
        {"Alpha", 2, true, false, "Line 5 of 6"},
        {"ALPHA", 4, true, false, "Line 6 of 6"},
        {"alpha", 5, true, false, "Line 1 of 6"},
        {"alpha", 0, false, false, "Line 6 of 6"},
        {"alpha", 4, false, false, "Line 3 of 6"},
        {"alpha", 4, false, true, "Line 5 of 6"},
        {"gamma", 3, true, false, "Line 4 of 6"},
        {"gamma", 3, false, false, "Line 4 of 6"},
        {"a*", 0, true, true, "Not found"},
        {"delta", 2, false, true, "Not found"},
        {"", 0, true, true, ""},
    };
    for (const auto& find : cases) {
        const THistoryFindResult result = view.FindNow(find.Text, find.From, find.Forward, find.Included);
        EXPECT_EQ(FindStatusText(result, view.Model.Counts().Shown), find.Status)
            << find.Text << " from " << find.From << (find.Forward ? " forward" : " backward");
    }
    // Find looks only at the rows the filter shows.
    view.Model.SetFilter("-two;-gamma");
    view.Settle();
    EXPECT_EQ(FindStatusText(view.FindNow("alpha", 0, true, false), 4), "Line 3 of 4");
    EXPECT_EQ(FindStatusText(view.FindNow("two", 0, true, false), 4), "Not found");
}

// A list as the History window's logic drives it: a count, the top row, a page of rows, a selection. Like a
// list view, it keeps the top row where the rows below it still fill a page.
class TMemoryHistoryList : public IHistoryList {
  public:
    std::uint32_t Count = 0;
    std::uint32_t Top = 0;
    std::uint32_t Page = 10;
    std::set<std::uint32_t> Selection;
    std::uint32_t Focus = NoHistoryRow;

    void SetRowCount(std::uint32_t count) override {
        Count = count;
        Selection.erase(Selection.lower_bound(count), Selection.end());
        if (Focus >= count)
            Focus = NoHistoryRow;
        Top = std::min(Top, LastTop());
    }
    std::uint32_t TopRow() const override { return Top; }
    std::uint32_t RowsPerPage() const override { return Page; }
    void ScrollTo(std::uint32_t top) override { Top = std::min(top, LastTop()); }
    void ShowRow(std::uint32_t row) override {
        if (row < Top)
            Top = row;
        else if (row >= Top + Page)
            Top = row - Page + 1;
    }
    bool FocusedRow(std::uint32_t& row) const override {
        if (Selection.count(Focus) == 0)
            return false;
        row = Focus;
        return true;
    }
    std::vector<TRowRange> SelectedRanges() const override {
        std::vector<TRowRange> ranges;
        for (std::uint32_t row : Selection)
            if (!ranges.empty() && ranges.back().Last + 1 == row)
                ranges.back().Last = row;
            else
                ranges.push_back(TRowRange{row, row});
        return ranges;
    }
    void Select(const std::vector<TRowRange>& ranges, std::uint32_t focus) override {
        Selection.clear();
        for (const TRowRange& range : ranges)
            for (std::uint32_t row = range.First; row <= range.Last; ++row)
                Selection.insert(row);
        Focus = focus;
    }
    // A click on a row, as the user makes it.
    void Click(std::uint32_t row) { Select({TRowRange{row, row}}, row); }

  private:
    std::uint32_t LastTop() const { return Count > Page ? Count - Page : 0; }
};

std::vector<std::string> Numbered(const std::string& prefix, int first, int count) {
    std::vector<std::string> texts;
    for (int i = first; i < first + count; ++i)
        texts.push_back(prefix + std::to_string(i));
    return texts;
}

struct THistoryWindowLogic : THistoryView {
    TMemoryHistoryList List;
    TfrmHistory Form{List};

    THistoryWindowLogic() { Form.Attach(&Model); }
    // The background work ran, and the window read what it changed.
    void Update() {
        Settle();
        Form.ModelChanged();
    }
    void Write(const std::string& file, const std::vector<std::string>& texts) {
        Folder.Files[file] += Entries(texts);
        Model.Refresh();
        Update();
    }
};

TEST(HistoryFormTest, FollowsTheLastRowUntilTheUserLooksElsewhereAndKeepsItsPlaceWhenRowsLeave) {
    THistoryWindowLogic window;
    window.Folder.Files["20240501-100000.txt"] = Entries(Numbered("old ", 0, 10));
    window.Write("20240501-110000.txt", Numbered("new ", 0, 20));
    EXPECT_EQ(window.List.Count, 30u);
    EXPECT_EQ(window.List.Top, 20u);
    EXPECT_EQ(window.Form.StatusText(), "30 of 30 lines shown");

    window.Write("20240501-110000.txt", Numbered("new ", 20, 5));
    EXPECT_EQ(window.List.Top, 25u) << "new rows scroll into view";

    // Scrolled away: the view stays, and the status counts what arrives below.
    window.List.Top = 5;
    window.Form.ListScrolled();
    window.Write("20240501-110000.txt", Numbered("new ", 25, 3));
    EXPECT_EQ(window.List.Top, 5u);
    EXPECT_EQ(window.Form.StatusText(), "38 of 38 lines shown | 3 new lines below");

    // Scrolled back to the last row: it follows again.
    window.List.Top = 28;
    window.Form.ListScrolled();
    EXPECT_EQ(window.Form.StatusText(), "38 of 38 lines shown");
    // An earlier row selected, though the last one is in view: the view stays.
    window.List.Click(30);
    window.Form.SelectionMoved();
    window.Write("20240501-110000.txt", Numbered("new ", 28, 1));
    EXPECT_EQ(window.List.Top, 28u);
    EXPECT_EQ(window.Form.StatusText(), "39 of 39 lines shown | 1 new line below");

    // The oldest file removed by the limit: the selection and the top row move up with their rows.
    window.List.Select({TRowRange{12, 14}, TRowRange{30, 30}}, 30);
    window.Folder.Files.erase("20240501-100000.txt");
    window.Model.Refresh();
    window.Update();
    EXPECT_EQ(window.List.Count, 29u);
    EXPECT_EQ(window.List.Top, 18u);
    EXPECT_EQ(window.List.SelectedRanges().size(), 2u);
    EXPECT_EQ(std::set<std::uint32_t>({2, 3, 4, 20}), window.List.Selection);
    EXPECT_EQ(window.Text(window.List.Focus), "new 20");
    EXPECT_EQ(window.Form.StatusText(), "29 of 29 lines shown | 1 new line below");

    // End: the last row selected follows again.
    window.List.Click(28);
    window.Form.SelectionMoved();
    window.Write("20240501-110000.txt", Numbered("new ", 29, 12));
    EXPECT_EQ(window.List.Top, 31u);
    EXPECT_EQ(window.Form.StatusText(), "41 of 41 lines shown");
    // A smaller window keeps the last row in view while it follows.
    window.List.Page = 4;
    window.Form.ListResized();
    EXPECT_EQ(window.List.Top, 37u);

    // A file that shrank cannot be followed: the rows are read anew, nothing stays selected.
    window.List.Click(3);
    window.Folder.Files["20240501-110000.txt"] = Entries(Numbered("rewritten ", 0, 4));
    window.Model.Refresh();
    window.Update();
    EXPECT_EQ(window.List.Count, 4u);
    EXPECT_TRUE(window.List.Selection.empty());
    EXPECT_EQ(window.Text(3), "rewritten 3");
}

TEST(HistoryFormTest, FindFromTheSelectedRowAndAFilterThatStartsTheViewAgain) {
    THistoryWindowLogic window;
    window.Write("20240501-100000.txt", {"apple", "Banana", "cherry", "apple pie", "banana split", "date"});
    window.List.Top = 0;
    window.Form.ListScrolled();

    const struct {
        const char* Typed; // null: Enter or F3 (forward), Shift+F3 (backward)
        bool Forward;
        const char* Status;
        std::uint32_t Selected;
    } steps[] = {
        {"BANANA", true, "6 of 6 lines shown | Line 2 of 6", 1},
        {nullptr, true, "6 of 6 lines shown | Line 5 of 6", 4},
        {nullptr, true, "6 of 6 lines shown | Line 2 of 6", 1},
        {nullptr, false, "6 of 6 lines shown | Line 5 of 6", 4},
        {"banana s", true, "6 of 6 lines shown | Line 5 of 6", 4},
        {"ban", true, "6 of 6 lines shown | Line 5 of 6", 4},
        {"zzz", true, "6 of 6 lines shown | Not found", 4},
        {"", true, "6 of 6 lines shown", 4},
    };
    for (const auto& step : steps) {
        if (step.Typed)
            window.Form.FindTyped(step.Typed);
        else
            window.Form.FindAgain(step.Forward);
        window.Update();
        EXPECT_EQ(window.Form.StatusText(), step.Status) << (step.Typed ? step.Typed : "again");
        EXPECT_EQ(std::set<std::uint32_t>({step.Selected}), window.List.Selection) << step.Status;
    }

    // A filter chooses the rows anew: nothing selected, the newest in view, Find among those shown.
    EXPECT_TRUE(window.Form.FilterTyped(" apple ; CHERRY;-pie"));
    EXPECT_FALSE(window.Form.FilterTyped("apple;CHERRY ;-pie"));
    window.Update();
    EXPECT_TRUE(window.List.Selection.empty());
    EXPECT_EQ(window.Form.StatusText(), "2 of 6 lines shown");
    window.Form.FindTyped("cherry");
    window.Update();
    EXPECT_EQ(window.Form.StatusText(), "2 of 6 lines shown | Line 2 of 2");
    EXPECT_EQ(window.Form.SelectedRanges().size(), 1u);

    // The next history (a switch of the log file) takes the same filter.
    THistoryView next;
    next.Folder.Files["20240601-100000.txt"] = Entries({"cherry", "pie", "fig"});
    window.Form.Attach(&next.Model);
    next.Settle();
    window.Form.ModelChanged();
    EXPECT_EQ(window.Form.StatusText(), "1 of 3 lines shown");
    window.Form.Attach(nullptr);

    // Its place on the screen is kept; values that are not numbers leave it to the system.
    TMemoryRegistry registry;
    TSettingsStore settings(registry);
    TPlacement placement;
    EXPECT_FALSE(ReadHistoryPlacement(settings, placement));
    WriteHistoryPlacement(settings, TPlacement{-20, 30, 700, 400});
    ASSERT_TRUE(ReadHistoryPlacement(settings, placement));
    EXPECT_EQ(placement.Left, -20);
    EXPECT_EQ(placement.Height, 400);
    registry.SetString(SettingsKey, "HistoryWidth", "wide");
    EXPECT_FALSE(ReadHistoryPlacement(settings, placement));
}

class TStringSink : public IHistorySink {
  public:
    std::string Bytes;
    bool Fails = false;
    bool Write(const char* bytes, std::size_t size) override {
        Bytes.append(bytes, size);
        return !Fails;
    }
};

TEST(HistoryExportTest, ShownRowsInTheHistorysFormat) {
    THistoryView view;
    const std::string entry = Entry("1234 app.exe", "tabs\tkept \xD0\x94");
    view.Folder.Files["20240501-100000.txt"] = entry + "foreign \xFF line\n" +
                                               "2024-05-01 10:00:00.000\tclient\tlf only\n" +
                                               Entry("client", "skipped") + Entry("viewer", "last");
    view.Settle();
    const std::string exported =
        entry + "\t\tforeign \xEF\xBF\xBD line\r\n" + "2024-05-01 10:00:00.000\tclient\tlf only\r\n";
    TStringSink sink;
    THistoryExport part(view.Model, 0, 2);
    EXPECT_EQ(part.Step(sink), THistoryExport::TState::Done);
    EXPECT_EQ(sink.Bytes, exported);

    // The filter at the time of the export picks the rows, whatever it is changed to meanwhile.
    view.Model.SetFilter("-skipped");
    view.Settle();
    THistoryExport shown(view.Model, 0, view.Model.Counts().Shown - 1);
    view.Model.SetFilter("");
    sink.Bytes.clear();
    EXPECT_EQ(shown.Step(sink), THistoryExport::TState::Done);
    EXPECT_EQ(sink.Bytes, exported + Entry("viewer", "last"));
    EXPECT_EQ(shown.RowsWritten(), 4u);

    sink.Fails = true;
    EXPECT_EQ(THistoryExport(view.Model, 0, 0).Step(sink), THistoryExport::TState::WriteFailed);
    view.Folder.Unreadable.insert("20240501-100000.txt");
    THistoryExport gone(view.Model, 0, 0);
    EXPECT_EQ(gone.Step(sink), THistoryExport::TState::ReadFailed);
    view.Folder.Files.clear();
    view.Refresh();
    EXPECT_EQ(gone.Step(sink), THistoryExport::TState::RowsGone);
}

} // namespace
