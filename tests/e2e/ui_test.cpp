// The main window as a user works it: the toolbar's layout, its buttons and check boxes, the menu commands
// sent as the popup menu sends them, the file dialogs, the About box and the Mark line's time.
#include "harness/fixture.h"
#include "harness/steps.h"
#include "harness/ui.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Paint.h"

#include <cstdio>

using namespace e2e;

namespace {

struct Expected {
    int id;
    const char* caption;
    int x, y, width, height;
    bool checkBox;
};

const Expected kControls[] = {
    {kPbClear, "&Clear", 2, 3, 47, 49, false},
    {kPbOpen, "&Import", 52, 3, 47, 49, false},
    {kPbSave, "&Export", 102, 3, 47, 49, false},
    {kPbMark, "&Mark", 153, 3, 47, 49, false},
    {kPbInfo, "I&nfo", 203, 3, 47, 49, false},
    {kCbFloat, "&Stay on Top", 257, 8, 80, 17, true},
    {kCbToolbar, "Show &Toolbar", 257, 32, 87, 17, true},
    {kCbDebugOutput, "&Debug Output", 354, 8, 88, 17, true},
    {kCbLogConnect, "&Log Client Connections", 354, 32, 137, 17, true},
};

int ScreenDpi() {
    return GetDeviceCaps(TWindowDc(nullptr).Get(), LOGPIXELSY);
}

int Scaled(int pixels) {
    return MulDiv(pixels, ScreenDpi(), 96);
}

// A window's rectangle in the client coordinates of another.
RECT PlaceIn(HWND window, HWND parent) {
    RECT place = {};
    GetWindowRect(window, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// A first run whose pane shows the lines.
Steps WithLines(const std::string& lines) {
    Steps steps = {FirstRun()};
    for (const std::string& line : SplitLines(lines))
        steps.push_back(Print(line));
    steps.push_back(Must(Within(PaneIs(lines))));
    return steps;
}

// A font made in this process, the same the pane is meant to use, selected into a screen DC.
class ReferenceFont {
  public:
    ReferenceFont(const char* face, int height)
        : font_(CreateFontA(-Scaled(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                            face)) {}
    long Width(const char* text) const {
        SIZE size = {};
        GetTextExtentPoint32A(screen_.Get(), text, lstrlenA(text), &size);
        return size.cx;
    }
    long LineHeight() const {
        TEXTMETRICA metrics = {};
        GetTextMetricsA(screen_.Get(), &metrics);
        return metrics.tmHeight;
    }

  private:
    TWindowDc screen_{nullptr};
    TGdiObject font_;
    TSelection selected_{screen_.Get(), font_.Get()};
};

POINT CharacterPosition(HWND pane, int index) {
    LRESULT packed = 0;
    SendWithTimeout(pane, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0, packed, 5000);
    return POINT{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
}

// Another process's font handle cannot be read here, so the pane's font is judged by where the characters
// stand: a fixed pitch as wide and lines as high as "Courier New" of 12 pixels made here.
void CheckPaneFont(HWND viewer) {
    CHECK_SENT(Print(viewer, "iiiiWWWW"));
    CHECK_SENT(Print(viewer, "x"));
    const HWND pane = FindPane(viewer);
    const ReferenceFont reference("Courier New", 12);
    const long narrow = CharacterPosition(pane, 1).x - CharacterPosition(pane, 0).x;
    const long wide = CharacterPosition(pane, 5).x - CharacterPosition(pane, 4).x;
    const long line = CharacterPosition(pane, 10).y - CharacterPosition(pane, 0).y;
    CHECK_MSG(narrow == wide, "i is " + std::to_string(narrow) + " wide, W " + std::to_string(wide));
    CHECK_EQ(wide, reference.Width("W"));
    CHECK_EQ(line, reference.LineHeight());
    CHECK_SENT(Clear(viewer));
}

// --- Layout -------------------------------------------------------------------------------------------

void LayoutOfAFirstRun() {
    StepContext context;
    if (!RunSteps(context, {FirstRun()}, "start"))
        return;
    const HWND viewer = context.Viewer();
    std::printf("  screen at %d dpi: sizes of the table scaled by %d/96\n", ScreenDpi(), ScreenDpi());
    const HWND toolbar = FindToolbar(viewer);
    if (!CHECK_MSG(toolbar != nullptr, "no TDravikPanel child"))
        return;
    RECT client = {};
    GetClientRect(viewer, &client);
    const RECT bar = PlaceIn(toolbar, viewer);
    CHECK_EQ(bar.left, 0L);
    CHECK_EQ(bar.top, 0L);
    CHECK_EQ(bar.right, client.right);
    CHECK_EQ(bar.bottom - bar.top, static_cast<long>(Scaled(57)));
    const RECT pane = PlaceIn(FindPane(viewer), viewer);
    CHECK_EQ(pane.top, bar.bottom);
    CHECK_EQ(pane.bottom, client.bottom);
    CHECK_EQ(pane.right - pane.left, client.right);

    // The pane: scroll bars both ways, no word wrap, editable.
    const LONG paneStyle = GetWindowLongA(FindPane(viewer), GWL_STYLE);
    CHECK(paneStyle & ES_MULTILINE);
    CHECK(paneStyle & WS_VSCROLL);
    CHECK(paneStyle & WS_HSCROLL);
    CHECK(paneStyle & ES_AUTOHSCROLL);
    CHECK(!(paneStyle & ES_READONLY));
    CheckPaneFont(viewer);

    for (const Expected& c : kControls) {
        std::printf("  control %d %s\n", c.id, c.caption);
        const HWND control = ToolbarControl(viewer, c.id);
        if (!CHECK_MSG(control != nullptr, "missing control"))
            continue;
        char className[32] = {};
        GetClassNameA(control, className, sizeof className);
        CHECK_EQ(std::string(className), "Button");
        CHECK_EQ(TextOfWindow(control), c.caption);
        CHECK(IsWindowVisible(control));
        const RECT at = PlaceIn(control, toolbar);
        CHECK_EQ(at.left, static_cast<long>(Scaled(c.x)));
        CHECK_EQ(at.top, static_cast<long>(Scaled(c.y)));
        CHECK_EQ(at.right - at.left, static_cast<long>(Scaled(c.width)));
        CHECK_EQ(at.bottom - at.top, static_cast<long>(Scaled(c.height)));
        const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
        CHECK_EQ(type == BS_AUTOCHECKBOX || type == BS_CHECKBOX, c.checkBox);
    }
    // A first run: Log Client Connections follows the missing setting, the rest start on. With
    // "LogConnect" = "1" and "Floating" = "0" saved, the boxes start the other way round.
    RunSteps(context,
             {BoxIs(kCbFloat, true), BoxIs(kCbToolbar, true), BoxIs(kCbDebugOutput, true),
              BoxIs(kCbLogConnect, false), Topmost(true), Close(),
              SetSettings({"LogConnect=1", "Floating=0"}), Start(), BoxIs(kCbLogConnect, true),
              BoxIs(kCbFloat, false), Topmost(false), Close()},
             "the boxes");
}

// Pixels of the upper part of a button, where its picture belongs.
std::vector<COLORREF> PictureArea(const std::vector<COLORREF>& pixels, int width, int height) {
    std::vector<COLORREF> area;
    for (int y = 3; y < height * 3 / 5; ++y)
        for (int x = 3; x < width - 3; ++x)
            area.push_back(pixels[static_cast<std::size_t>(y) * width + x]);
    return area;
}

void ImageButtonsShowAPictureAboveTheCaption() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    std::vector<std::vector<COLORREF>> pictures;
    for (const int id : {kPbClear, kPbOpen, kPbSave, kPbMark, kPbInfo}) {
        std::printf("  button %d\n", id);
        const HWND button = ToolbarControl(viewer, id);
        if (!CHECK(button != nullptr))
            continue;
        int width = 0, height = 0;
        std::vector<COLORREF> pixels;
        std::size_t coloured = 0, captionInk = 0;
        // The window is painted a moment after it shows.
        WaitFor(
            [&] {
                pixels = WindowPixels(button, width, height);
                coloured = captionInk = 0;
                for (COLORREF c : PictureArea(pixels, width, height))
                    coloured += c != face && c != RGB(0, 0, 0) && c != RGB(255, 255, 255);
                for (int y = height * 3 / 5; y < height - 3; ++y)
                    for (int x = 3; x < width - 3; ++x)
                        captionInk += pixels[static_cast<std::size_t>(y) * width + x] == RGB(0, 0, 0);
                return coloured >= 20 && captionInk >= 10;
            },
            3000);
        CHECK_MSG(coloured >= 20,
                  "only " + std::to_string(coloured) + " coloured pixels where the picture belongs");
        CHECK_MSG(captionInk >= 10, "no caption below the picture");
        pictures.push_back(PictureArea(pixels, width, height));
    }
    // Five different pictures.
    for (std::size_t i = 0; i < pictures.size(); ++i)
        for (std::size_t j = i + 1; j < pictures.size(); ++j)
            CHECK_MSG(pictures[i] != pictures[j], "buttons " + std::to_string(i) + " and " +
                                                      std::to_string(j) + " show the same picture");
    CHECK(run.Close());
}

// --- Commands on the pane ---------------------------------------------------------------------------------

std::string TimeText(const SYSTEMTIME& t) {
    auto locale = [](LCTYPE type) {
        char buffer[64] = {};
        GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
        return std::string(buffer);
    };
    const bool twentyFour = locale(LOCALE_ITIME) == "1";
    const bool leadingZero = locale(LOCALE_ITLZERO) == "1";
    const std::string separator = locale(LOCALE_STIME);
    int hour = t.wHour;
    if (!twentyFour)
        hour = hour % 12 == 0 ? 12 : hour % 12;
    char text[64];
    std::snprintf(text, sizeof text, leadingZero ? "%02d%s%02d%s%02d" : "%d%s%02d%s%02d", hour,
                  separator.c_str(), t.wMinute, separator.c_str(), t.wSecond);
    std::string result = text;
    if (!twentyFour) {
        const std::string designator = locale(t.wHour < 12 ? LOCALE_S1159 : LOCALE_S2359);
        if (!designator.empty())
            result += " " + designator;
    }
    return result;
}

std::string MarkFor(const SYSTEMTIME& t) {
    return "*** (MARKED AT " + TimeText(t) + ")*** *** *** *** *** *** **** *** ***";
}

// Whether the line is a Mark line of a second between the two readings of the clock.
bool MarkedBetween(const std::string& line, const SYSTEMTIME& before, const SYSTEMTIME& after) {
    SYSTEMTIME t = before;
    for (int step = 0; step < 4; ++step) {
        if (line == MarkFor(t))
            return true;
        if (t.wHour == after.wHour && t.wMinute == after.wMinute && t.wSecond == after.wSecond)
            return false;
        FILETIME asFile;
        SystemTimeToFileTime(&t, &asFile);
        ULARGE_INTEGER ticks;
        ticks.LowPart = asFile.dwLowDateTime;
        ticks.HighPart = asFile.dwHighDateTime;
        ticks.QuadPart += 10000000ULL;
        asFile.dwLowDateTime = ticks.LowPart;
        asFile.dwHighDateTime = ticks.HighPart;
        FileTimeToSystemTime(&asFile, &t);
    }
    return false;
}

void MarkFromButtonAndMenuShowsTheLocaleTime() {
    char clock[8] = {}, zero[8] = {}, separator[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ITIME, clock, sizeof clock);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ITLZERO, zero, sizeof zero);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, sizeof separator);
    SYSTEMTIME sample = {};
    sample.wHour = 7;
    sample.wMinute = 5;
    sample.wSecond = 9;
    std::printf("  clock seen: %s-hour, leading zero %s, separator \"%s\" (07:05:09 reads \"%s\")\n",
                clock[0] == '1' ? "24" : "12", zero[0] == '1' ? "yes" : "no", separator,
                TimeText(sample).c_str());

    StepContext context;
    if (!RunSteps(context, WithLines("before\r\n"), "start"))
        return;
    ViewerRun& run = context.Run();
    const HWND viewer = run.Window();
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    CHECK(ClickControl(viewer, kPbMark));
    CHECK(ChooseCommand(viewer, kMnuMark));
    GetLocalTime(&after);
    const std::string pane = PaneText(viewer);
    const std::size_t first = pane.find("\r\n") + 2, second = pane.find("\r\n", first) + 2;
    const std::string firstMark = pane.substr(first, second - first - 2);
    const std::string secondMark = pane.substr(second, pane.find("\r\n", second) - second);
    CHECK_MSG(MarkedBetween(firstMark, before, after),
              "\"" + Printable(firstMark) + "\", expected like \"" + MarkFor(before) + "\"");
    CHECK_MSG(MarkedBetween(secondMark, before, after),
              "\"" + Printable(secondMark) + "\", expected like \"" + MarkFor(after) + "\"");
    CHECK_EQ(pane.size(), second + secondMark.size() + 2);
    CHECK(run.Close());
}

// --- File dialogs -----------------------------------------------------------------------------------------

std::string FilterFirstEntry(HWND dialog, LRESULT& selected) {
    const HWND combo = GetDlgItem(dialog, 0x470);
    selected = -1;
    if (combo == nullptr)
        return "<no filter box>";
    SendWithTimeout(combo, CB_GETCURSEL, 0, 0, selected, 5000);
    // The list's texts come back as UTF-16 across processes.
    wchar_t text[128] = {};
    LRESULT ignored = 0;
    if (!SendWithTimeout(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text), ignored, 5000))
        return "<unreadable>";
    char narrow[128] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// The open dialog proposes the file, by its whole path or by its name.
Step Proposes(const std::string& path) {
    return {"the proposed name", [path](StepContext& c) {
                const std::string field = ReadFileNameField(c.dialog), wanted = c.Expand(path);
                const std::string name = wanted.substr(wanted.find_last_of('\\') + 1);
                return SameFileName(field, wanted) || SameFileName(field, name) ? std::string()
                                                                                : "proposed " + ToText(field);
            }};
}

// The open dialog belongs to the viewer and offers text files first.
Step TextFileDialog() {
    return {"the dialog's owner and filter", [](StepContext& c) {
                LRESULT selected = -1;
                const std::string filter = FilterFirstEntry(c.dialog, selected);
                if (GetWindow(c.dialog, GW_OWNER) != c.Viewer())
                    return std::string("the viewer does not own the dialog");
                return selected == 0 ? Mismatch(filter, "Textdateien (*.txt)")
                                     : "filter " + std::to_string(selected);
            }};
}

// A folder of its own for the files picked in the dialogs, apart from the viewer's.
Step MakePickedFolder() {
    return Expect("a folder for the picked files", [](StepContext& c) {
        return CreateDirectoryA(c.Expand("<run>\\picked").c_str(), nullptr) != FALSE;
    });
}

// Unchecks Stay on Top if it is checked.
Step StayOnTopOff() {
    return Expect("Stay on Top off", [](StepContext& c) {
        return !IsBoxChecked(c.Viewer(), kCbFloat) || ClickControl(c.Viewer(), kCbFloat);
    });
}

// A failed Export: the error box, then the pane as it was and Stay on Top back on.
Steps FailedExport(const std::string& name) {
    return Steps({PostClickOn(kPbSave), Dialog("Save"), Confirm(name),
                  FileErrorShown("Cannot create file ", name, 5000), Settle(), Topmost(true),
                  BoxIs(kCbFloat, true), PaneIs("kept\r\n")});
}

const std::string kImported = "imported 1\r\nimported 2", kAdded = kImported + "\r\nadded";
const std::string kExported = "export one\r\nexport two\r\n";

// --- About ------------------------------------------------------------------------------------------------

void InfoShowsTheAboutBox() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const int triggers[] = {kPbInfo, kMnuInfo};
    for (int trigger : triggers) {
        std::printf("  from %s\n", trigger == kPbInfo ? "pbInfo" : "mnuInfo");
        CHECK(trigger == kPbInfo ? PostClick(viewer, trigger) : PostCommand(viewer, trigger));
        const HWND about = WaitForDialog(run.ProcessId(), "About Korvane Dravik");
        if (!CHECK_MSG(about != nullptr, "no About box"))
            return;
        CHECK(GetWindow(about, GW_OWNER) == viewer);
        // Modal: the main window takes no input while the box is open.
        CHECK(!IsWindowEnabled(viewer));
        const std::vector<std::string> texts = StaticTexts(about);
        auto shows = [&texts](const std::string& wanted) {
            for (const std::string& text : texts)
                if (text == wanted)
                    return true;
            return false;
        };
        CHECK(shows("Korvane Dravik"));
        CHECK(shows("Korvane Software"));
        bool version = false;
        for (const std::string& text : texts) {
            unsigned major = 0, minor = 0, patch = 0;
            char rest = 0;
            if (std::sscanf(text.c_str(), "Version %u.%u.%u%c", &major, &minor, &patch, &rest) == 3)
                version = true;
        }
        CHECK_MSG(version, "no static text \"Version x.y.z\"");
        const HWND close = GetDlgItem(about, IDOK);
        CHECK_EQ(TextOfWindow(close), "Close");
        PostMessageA(close, BM_CLICK, 0, 0);
        CHECK(WaitFor([about] { return !IsWindow(about); }, 5000));
        CHECK(WaitFor([viewer] { return IsWindowEnabled(viewer) != FALSE; }, 3000));
        CHECK(WindowIsTopmost(viewer));
    }
    CHECK(run.Close());
}

// The pane fills the client area from the given top down to the client area's bottom.
Step PaneTop(long top) {
    return Expect("the pane's top at " + std::to_string(top), [top](StepContext& c) {
        RECT client = {};
        GetClientRect(c.Viewer(), &client);
        const RECT pane = PlaceIn(FindPane(c.Viewer()), c.Viewer());
        return pane.top == top && pane.bottom == client.bottom;
    });
}

} // namespace

// "--mark-clock 12" or "--mark-clock 24" runs only the Mark test, and first checks that the locale this
// program was started with (under Wine: the Unix LC_ALL) really has that clock.
int RunMarkOnly(const std::string& hours) {
    char clock[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ITIME, clock, sizeof clock);
    CHECK_EQ(std::string(clock[0] == '1' ? "24" : "12"), hours);
    RunTest("Mark from the button and the menu shows the locale's time",
            MarkFromButtonAndMenuShowsTheLocaleTime);
    return Finish();
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--mark-clock")
        return RunMarkOnly(argv[2]);
    RunTest("layout of a first run", LayoutOfAFirstRun);
    RunTest("image buttons show a picture above the caption", ImageButtonsShowAPictureAboveTheCaption);
    RunStepTests({
        // Clearing an empty pane leaves it empty and shows nothing.
        {"Clear from the button and the menu",
         WithLines("one\r\ntwo\r\n") + Steps{Click(kPbClear), PaneIs(""), Print("three"), Choose(kMnuClear),
                                             PaneIs(""), Click(kPbClear), PaneIs(""), NoBox(), Close()}},
    });
    RunTest("Mark from the button and the menu shows the locale's time",
            MarkFromButtonAndMenuShowsTheLocaleTime);
    RunStepTests({
        // Client commands are still handled while the Open dialog is open. Cancelled from the menu, the
        // pane stays and the dialog proposes the last name; a name that names no file changes nothing and
        // shows no error. The folder of the confirmed file is now the current directory: a bare name from a
        // client lands there.
        {"Import replaces the pane or leaves it alone",
         WithLines("pane before\r\n") +
             Steps{MakePickedFolder(), MakeFile("<run>\\picked\\import me.txt", kImported),
                   PostClickOn(kPbOpen), Dialog("Open"), TextFileDialog(), Topmost(false),
                   BoxIs(kCbFloat, false), FieldIs(""), Print("during the dialog"),
                   Within(PaneIs("pane before\r\nduring the dialog\r\n")),
                   Confirm("<run>\\picked\\import me.txt"), Within(PaneIs(kImported)), Within(Topmost(true)),
                   BoxIs(kCbFloat, true), Print("added"), PaneIs(kAdded)} +
             Steps{PostChoice(kMnuImport), Dialog("Open"), Proposes("<run>\\picked\\import me.txt"),
                   Topmost(false), Cancel(), Settle(), PaneIs(kAdded), Topmost(true), PostClickOn(kPbOpen),
                   Dialog("Open"), Confirm("<run>\\picked\\missing.txt"), Settle(), PaneIs(kAdded),
                   NoBox(300), Topmost(true), Send(kSaveToFile, "bare after import.txt"),
                   HasFile("<run>\\picked\\bare after import.txt"), NoFile("<run>\\bare after import.txt"),
                   Close()}},
        // Export replaces a file without asking. From the menu the dialog proposes the last saved name, and
        // a name without an extension gets ".txt". The Open dialog keeps its own proposal: nothing chosen
        // in it yet.
        {"Export writes, overwrites and adds the extension",
         WithLines(kExported) +
             Steps{MakePickedFolder(),
                   MakeFile("<run>\\picked\\out.txt", "an older file that is much longer than the pane"),
                   PostClickOn(kPbSave), Dialog("Save"), TextFileDialog(), Topmost(false), FieldIs(""),
                   Confirm("<run>\\picked\\out.txt"), Settle(), NoBox(500),
                   FileIs("<run>\\picked\\out.txt", kExported), Within(Topmost(true))} +
             Steps{PostChoice(kMnuExport), Dialog("Save"), Proposes("<run>\\picked\\out.txt"),
                   Confirm("<run>\\picked\\plain"), Settle(), FileIs("<run>\\picked\\plain.txt", kExported),
                   NoFile("<run>\\picked\\plain"), Topmost(true), PostClickOn(kPbOpen), Dialog("Open"),
                   FieldIs(""), Cancel(), Settle(), Send(kSaveToFile, "bare after export.txt"),
                   HasFile("<run>\\picked\\bare after export.txt"), Close()}},
        // A failed Export, into a folder that does not exist or onto a file another program holds, and a
        // failed Import of a held file leave the pane as it was and Stay on Top on. With Stay on Top off,
        // Export leaves it off.
        {"a failed Export or Import restores Stay on Top",
         WithLines("kept\r\n") + Steps{Lock("<run>\\held.txt", true)} +
             FailedExport("<run>\\no such folder\\x.txt") + FailedExport("<run>\\held.txt") +
             Steps{Unlock(), MakeFile("<run>\\held source.txt", "never shown\r\n"),
                   Lock("<run>\\held source.txt", false), PostClickOn(kPbOpen), Dialog("Open"),
                   Confirm("<run>\\held source.txt"),
                   FileErrorShown("Cannot open file ", "<run>\\held source.txt", 5000), Settle(),
                   PaneIs("kept\r\n"), Topmost(true), Unlock()} +
             Steps{StayOnTopOff(), Topmost(false), PostClickOn(kPbSave), Dialog("Save"), Topmost(false),
                   Confirm("<run>\\off.txt"), Settle(), HasFile("<run>\\off.txt"), Topmost(false),
                   BoxIs(kCbFloat, false), Close()}},
    });
    RunTest("Info shows the About box", InfoShowsTheAboutBox);
    RunStepTests({
        {"Stay on Top from the box and the menu",
         {FirstRun(), Topmost(true), Click(kCbFloat), BoxIs(kCbFloat, false), Topmost(false), Click(kCbFloat),
          Topmost(true), Choose(kMnuFloat), BoxIs(kCbFloat, false), Topmost(false), Choose(kMnuFloat),
          BoxIs(kCbFloat, true), Topmost(true), Close(), SettingIs("Floating", "1")}},
        // Hidden through its box, back through the menu, and hidden again through the menu, which unchecks
        // the box.
        {"toolbar hidden and brought back",
         {FirstRun(), Click(kCbToolbar), ToolbarShown(false), PaneTop(0), Choose(kMnuToolbar),
          ToolbarShown(true), BoxIs(kCbToolbar, true), PaneTop(Scaled(57)), Choose(kMnuToolbar),
          ToolbarShown(false), BoxIs(kCbToolbar, false), Close(), SettingIs("Toolbar", "0")}},
        // Clients' commands are ignored, the user's own still work; the menu item switches it back on, and
        // off again. The ignored SETLOGFILE left the log where it was.
        {"Debug Output off ignores clients but not the user",
         WithLines("start\r\n") +
             Steps{MakeFile("<run>\\source.txt", "from a file\r\n"), Click(kCbDebugOutput),
                   BoxIs(kCbDebugOutput, false), Print("ignored"), Clear(),
                   Send(kLoadFromFile, "<run>\\source.txt"), Send(kSaveToFile, "<run>\\saved.txt"),
                   Send(kSetLogFile, "<run>\\newlog.txt"), PaneIs("start\r\n"), NoFile("<run>\\saved.txt"),
                   NoFile("<run>\\newlog.txt"), NoFile("<run>\\DebugLog.txt")} +
             Steps{Click(kPbMark), PaneStartsWith("start\r\n*** (MARKED AT "), Click(kPbClear), PaneIs(""),
                   PostClickOn(kPbOpen), Dialog("Open"), Confirm("<run>\\source.txt"),
                   Within(PaneIs("from a file\r\n")), PostClickOn(kPbSave), Dialog("Save"),
                   Confirm("<run>\\exported.txt"), Settle(),
                   FileIs("<run>\\exported.txt", "from a file\r\n")} +
             Steps{Choose(kMnuDebugOutput), BoxIs(kCbDebugOutput, true), Print("heard"),
                   PaneIs("from a file\r\nheard\r\n"), Choose(kMnuDebugOutput), BoxIs(kCbDebugOutput, false),
                   Print("ignored again"), PaneIs("from a file\r\nheard\r\n"), Close(),
                   HasFile("<run>\\DebugLog.txt"), NoFile("<run>\\newlog.txt")}},
        // Set aside by someone else meanwhile, the value is written again at the next change; it is not
        // rewritten at close.
        {"Log Client Connections written at once",
         {FirstRun(), SettingIs("LogConnect", "0"), Click(kCbLogConnect), BoxIs(kCbLogConnect, true),
          SettingIs("LogConnect", "1"), Click(kCbLogConnect), SettingIs("LogConnect", "0"),
          Choose(kMnuLogConnect), BoxIs(kCbLogConnect, true), SettingIs("LogConnect", "1"),
          Choose(kMnuLogConnect), BoxIs(kCbLogConnect, false), SettingIs("LogConnect", "0"),
          SetSettings({"LogConnect=x"}), Click(kCbLogConnect), SettingIs("LogConnect", "1"), Close(),
          SettingIs("LogConnect", "1")}},
    });
    return Finish();
}
