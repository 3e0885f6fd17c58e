// The main window as a user works it: the toolbar's layout, its buttons and check boxes, the menu commands
// sent as the popup menu sends them, the file dialogs, the About box and the Mark line's time.
#include "harness/fixture.h"
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

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

bool StartWithLines(ViewerRun& run, const std::string& lines) {
    if (!StartFirstRun(run))
        return false;
    for (const std::string& line : SplitLines(lines))
        CHECK_SENT(Print(run.Window(), line));
    return CHECK(WaitForPane(run.Window(), lines));
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
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
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
    // A first run: Log Client Connections follows the missing setting, the rest start on.
    CHECK(IsBoxChecked(viewer, kCbFloat));
    CHECK(IsBoxChecked(viewer, kCbToolbar));
    CHECK(IsBoxChecked(viewer, kCbDebugOutput));
    CHECK(!IsBoxChecked(viewer, kCbLogConnect));
    CHECK(WindowIsTopmost(viewer));
    CHECK(run.Close());

    // With "LogConnect" = "1" and "Floating" = "0" saved, the boxes start
    // the other way round.
    CHECK(SetSetting("LogConnect", "1"));
    CHECK(SetSetting("Floating", "0"));
    if (!StartViewer(run))
        return;
    CHECK(IsBoxChecked(run.Window(), kCbLogConnect));
    CHECK(!IsBoxChecked(run.Window(), kCbFloat));
    CHECK(!WindowIsTopmost(run.Window()));
    CHECK(run.Close());
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
    for (int id = kPbClear; id <= kPbInfo; ++id) {
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

void ClearFromButtonAndMenu() {
    ViewerRun run;
    if (!StartWithLines(run, Lines({"one", "two"})))
        return;
    const HWND viewer = run.Window();
    CHECK(ClickControl(viewer, kPbClear));
    CHECK_EQ(PaneText(viewer), "");
    CHECK_SENT(Print(viewer, "three"));
    CHECK(ChooseCommand(viewer, kMnuClear));
    CHECK_EQ(PaneText(viewer), "");
    // Clearing an empty pane leaves it empty and shows nothing.
    CHECK(ClickControl(viewer, kPbClear));
    CHECK_EQ(PaneText(viewer), "");
    CHECK(FindMessageBox(run.ProcessId()) == nullptr);
    CHECK(run.Close());
}

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

    ViewerRun run;
    if (!StartWithLines(run, Lines({"before"})))
        return;
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

bool FieldProposes(HWND dialog, const std::string& path) {
    const std::string field = ReadFileNameField(dialog);
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    return SameFileName(field, path) || SameFileName(field, name);
}

void ImportReplacesThePaneOrLeavesItAlone() {
    const std::string folder = MakeTempFolder();
    const std::string source = folder + "import me.txt";
    CHECK(WriteFileBytes(source, "imported 1\r\nimported 2"));
    ViewerRun run;
    if (!StartWithLines(run, Lines({"pane before"})))
        return;
    const HWND viewer = run.Window();

    CHECK(PostClick(viewer, kPbOpen));
    HWND dialog = WaitForDialog(run.ProcessId(), "Open");
    if (!CHECK_MSG(dialog != nullptr, "no dialog \"Open\""))
        return;
    CHECK(GetWindow(dialog, GW_OWNER) == viewer);
    CHECK_MSG(!WindowIsTopmost(viewer), "Stay on Top was not suspended while the Open dialog is open");
    CHECK(IsBoxChecked(viewer, kCbFloat) == false);
    LRESULT selected = 0;
    CHECK_EQ(FilterFirstEntry(dialog, selected), "Textdateien (*.txt)");
    CHECK_EQ(selected, 0);
    CHECK_EQ(ReadFileNameField(dialog), "");
    // Client commands are still handled while the dialog is open.
    CHECK_SENT(Print(viewer, "during the dialog"));
    CHECK(WaitForPane(viewer, Lines({"pane before", "during the dialog"})));
    CHECK(ConfirmFileDialog(dialog, source));
    CHECK(WaitForPane(viewer, "imported 1\r\nimported 2"));
    CHECK(WaitFor([&] { return WindowIsTopmost(viewer); }, 3000));
    CHECK(IsBoxChecked(viewer, kCbFloat));

    // Cancelled from the menu: the pane stays, the dialog proposes the last name.
    CHECK_SENT(Print(viewer, "added"));
    const std::string pane = PaneText(viewer);
    CHECK(PostCommand(viewer, kMnuImport));
    dialog = WaitForDialog(run.ProcessId(), "Open");
    if (!CHECK_MSG(dialog != nullptr, "no dialog \"Open\" from the menu"))
        return;
    CHECK_MSG(FieldProposes(dialog, source), "proposed \"" + ReadFileNameField(dialog) + "\"");
    CHECK(!WindowIsTopmost(viewer));
    CHECK(CancelDialog(dialog));
    CHECK(Settle(viewer));
    CHECK_EQ(PaneText(viewer), pane);
    CHECK(WindowIsTopmost(viewer));

    // A name that names no file changes nothing and shows no error.
    CHECK(PostClick(viewer, kPbOpen));
    dialog = WaitForDialog(run.ProcessId(), "Open");
    if (CHECK(dialog != nullptr))
        CHECK(ConfirmFileDialog(dialog, folder + "missing.txt"));
    CHECK(Settle(viewer));
    CHECK_EQ(PaneText(viewer), pane);
    CHECK(WaitForMessageBox(run.ProcessId(), 300) == nullptr);
    CHECK(WindowIsTopmost(viewer));

    // The folder of the confirmed file is now the current directory: a bare name from a client lands there.
    CHECK_SENT(SendCommand(viewer, kSaveToFile, "bare after import.txt"));
    CHECK(FileExists(folder + "bare after import.txt"));
    CHECK(!FileExists(run.Folder() + "bare after import.txt"));
    CHECK(run.Close());
    RemoveFolder(folder);
}

void ExportWritesOverwritesAndAddsTheExtension() {
    const std::string folder = MakeTempFolder();
    const std::string target = folder + "out.txt";
    CHECK(WriteFileBytes(target, "an older file that is much longer than the pane"));
    ViewerRun run;
    if (!StartWithLines(run, Lines({"export one", "export two"})))
        return;
    const HWND viewer = run.Window();

    CHECK(PostClick(viewer, kPbSave));
    HWND dialog = WaitForDialog(run.ProcessId(), "Save");
    if (!CHECK_MSG(dialog != nullptr, "no dialog \"Save\""))
        return;
    CHECK(GetWindow(dialog, GW_OWNER) == viewer);
    CHECK(!WindowIsTopmost(viewer));
    LRESULT selected = 0;
    CHECK_EQ(FilterFirstEntry(dialog, selected), "Textdateien (*.txt)");
    CHECK_EQ(selected, 0);
    CHECK_EQ(ReadFileNameField(dialog), "");
    CHECK(ConfirmFileDialog(dialog, target));
    // No question about replacing the file: no further window, the file holds the pane's bytes.
    CHECK(Settle(viewer));
    CHECK(WaitForMessageBox(run.ProcessId(), 500) == nullptr);
    CHECK_EQ(FileOrAbsent(target), Lines({"export one", "export two"}));
    CHECK(WaitFor([&] { return WindowIsTopmost(viewer); }, 3000));

    // From the menu: the dialog proposes the last saved name; a name without extension gets ".txt".
    CHECK(PostCommand(viewer, kMnuExport));
    dialog = WaitForDialog(run.ProcessId(), "Save");
    if (!CHECK_MSG(dialog != nullptr, "no dialog \"Save\" from the menu"))
        return;
    CHECK_MSG(FieldProposes(dialog, target), "proposed \"" + ReadFileNameField(dialog) + "\"");
    CHECK(ConfirmFileDialog(dialog, folder + "plain"));
    CHECK(Settle(viewer));
    CHECK_EQ(FileOrAbsent(folder + "plain.txt"), Lines({"export one", "export two"}));
    CHECK(!FileExists(folder + "plain"));
    CHECK(WindowIsTopmost(viewer));

    // The Open dialog keeps its own proposal: nothing chosen in it yet.
    CHECK(PostClick(viewer, kPbOpen));
    dialog = WaitForDialog(run.ProcessId(), "Open");
    if (CHECK(dialog != nullptr)) {
        CHECK_EQ(ReadFileNameField(dialog), "");
        CHECK(CancelDialog(dialog));
    }
    CHECK(Settle(viewer));

    CHECK_SENT(SendCommand(viewer, kSaveToFile, "bare after export.txt"));
    CHECK(FileExists(folder + "bare after export.txt"));
    CHECK(run.Close());
    RemoveFolder(folder);
}

void FailedExportRestoresStayOnTop() {
    const std::string folder = MakeTempFolder();
    const std::string held = folder + "held.txt";
    ViewerRun run;
    if (!StartWithLines(run, Lines({"kept"})))
        return;
    const HWND viewer = run.Window();
    struct Case {
        const char* what;
        std::string name;
    };
    const Case cases[] = {{"a folder that does not exist", folder + "no such folder\\x.txt"},
                          {"a file another program holds", held}};
    LockedFile lock(held, true);
    CHECK(lock.Held());
    for (const Case& c : cases) {
        std::printf("  case: %s\n", c.what);
        CHECK(PostClick(viewer, kPbSave));
        const HWND dialog = WaitForDialog(run.ProcessId(), "Save");
        if (!CHECK(dialog != nullptr))
            return;
        CHECK(ConfirmFileDialog(dialog, c.name));
        if (!CheckFileErrorBox(TakeBox(run.ProcessId(), 5000), "Cannot create file ", c.name, c.what))
            continue;
        CHECK(Settle(viewer));
        CHECK_MSG(WindowIsTopmost(viewer), "a failed Export left the window not topmost");
        CHECK(IsBoxChecked(viewer, kCbFloat));
        CHECK_EQ(PaneText(viewer), Lines({"kept"}));
    }
    lock.Release();

    // Import of a file another program holds: "Cannot open file", the pane stays, and so does the switch.
    const std::string source = folder + "held source.txt";
    CHECK(WriteFileBytes(source, "never shown\r\n"));
    LockedFile sourceLock(source, false);
    CHECK(sourceLock.Held());
    CHECK(PostClick(viewer, kPbOpen));
    HWND open = WaitForDialog(run.ProcessId(), "Open");
    if (CHECK(open != nullptr) && CHECK(ConfirmFileDialog(open, source))) {
        CheckFileErrorBox(TakeBox(run.ProcessId(), 5000), "Cannot open file ", source,
                          "Import of a held file");
        CHECK(Settle(viewer));
        CHECK_EQ(PaneText(viewer), Lines({"kept"}));
        CHECK_MSG(WindowIsTopmost(viewer), "a failed Import left the window not topmost");
    }
    sourceLock.Release();

    // With Stay on Top off, Export leaves it off.
    if (IsBoxChecked(viewer, kCbFloat))
        CHECK(ClickControl(viewer, kCbFloat));
    CHECK(!WindowIsTopmost(viewer));
    CHECK(PostClick(viewer, kPbSave));
    const HWND dialog = WaitForDialog(run.ProcessId(), "Save");
    if (CHECK(dialog != nullptr)) {
        CHECK(!WindowIsTopmost(viewer));
        CHECK(ConfirmFileDialog(dialog, folder + "off.txt"));
    }
    CHECK(Settle(viewer));
    CHECK(FileExists(folder + "off.txt"));
    CHECK(!WindowIsTopmost(viewer));
    CHECK(!IsBoxChecked(viewer, kCbFloat));
    CHECK(run.Close());
    RemoveFolder(folder);
}

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

// --- Switches ---------------------------------------------------------------------------------------------

void StayOnTopFromBoxAndMenu() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK(WindowIsTopmost(viewer));
    CHECK(ClickControl(viewer, kCbFloat));
    CHECK(!IsBoxChecked(viewer, kCbFloat));
    CHECK(!WindowIsTopmost(viewer));
    CHECK(ClickControl(viewer, kCbFloat));
    CHECK(WindowIsTopmost(viewer));
    CHECK(ChooseCommand(viewer, kMnuFloat));
    CHECK(!IsBoxChecked(viewer, kCbFloat));
    CHECK(!WindowIsTopmost(viewer));
    CHECK(ChooseCommand(viewer, kMnuFloat));
    CHECK(IsBoxChecked(viewer, kCbFloat));
    CHECK(WindowIsTopmost(viewer));
    CHECK(run.Close());
    CHECK_EQ(SettingOrAbsent("Floating"), "1");
}

void ToolbarHiddenAndBroughtBack() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    const HWND toolbar = FindToolbar(viewer);
    RECT client = {};
    GetClientRect(viewer, &client);
    CHECK(ClickControl(viewer, kCbToolbar));
    CHECK(!IsWindowVisible(toolbar));
    CHECK_EQ(PlaceIn(FindPane(viewer), viewer).top, 0L);
    CHECK_EQ(PlaceIn(FindPane(viewer), viewer).bottom, client.bottom);
    CHECK(ChooseCommand(viewer, kMnuToolbar));
    CHECK(IsWindowVisible(toolbar));
    CHECK(IsBoxChecked(viewer, kCbToolbar));
    CHECK_EQ(PlaceIn(FindPane(viewer), viewer).top, static_cast<long>(Scaled(57)));
    // And hidden again through the menu, which unchecks the box.
    CHECK(ChooseCommand(viewer, kMnuToolbar));
    CHECK(!IsWindowVisible(toolbar));
    CHECK(!IsBoxChecked(viewer, kCbToolbar));
    CHECK(run.Close());
    CHECK_EQ(SettingOrAbsent("Toolbar"), "0");
}

void DebugOutputOffIgnoresClientsButNotTheUser() {
    const std::string folder = MakeTempFolder();
    const std::string source = folder + "source.txt";
    CHECK(WriteFileBytes(source, "from a file\r\n"));
    ViewerRun run;
    if (!StartWithLines(run, Lines({"start"})))
        return;
    const HWND viewer = run.Window();
    CHECK(ClickControl(viewer, kCbDebugOutput));
    CHECK(!IsBoxChecked(viewer, kCbDebugOutput));

    CHECK_SENT(Print(viewer, "ignored"));
    CHECK_SENT(Clear(viewer));
    CHECK_SENT(SendCommand(viewer, kLoadFromFile, source));
    CHECK_SENT(SendCommand(viewer, kSaveToFile, folder + "saved.txt"));
    CHECK_SENT(SendCommand(viewer, kSetLogFile, folder + "newlog.txt"));
    CHECK_EQ(PaneText(viewer), Lines({"start"}));
    CHECK(!FileExists(folder + "saved.txt"));
    CHECK(!FileExists(folder + "newlog.txt"));
    CHECK(!FileExists(run.LogPath()));

    // The user's own commands still work.
    CHECK(ClickControl(viewer, kPbMark));
    CHECK_MSG(PaneText(viewer).find("*** (MARKED AT ") == 7, PaneText(viewer));
    CHECK(ClickControl(viewer, kPbClear));
    CHECK_EQ(PaneText(viewer), "");
    CHECK(PostClick(viewer, kPbOpen));
    HWND dialog = WaitForDialog(run.ProcessId(), "Open");
    if (CHECK(dialog != nullptr))
        CHECK(ConfirmFileDialog(dialog, source));
    CHECK(WaitForPane(viewer, "from a file\r\n"));
    CHECK(PostClick(viewer, kPbSave));
    dialog = WaitForDialog(run.ProcessId(), "Save");
    if (CHECK(dialog != nullptr))
        CHECK(ConfirmFileDialog(dialog, folder + "exported.txt"));
    CHECK(Settle(viewer));
    CHECK_EQ(FileOrAbsent(folder + "exported.txt"), "from a file\r\n");

    // The menu item switches it back on, and off again.
    CHECK(ChooseCommand(viewer, kMnuDebugOutput));
    CHECK(IsBoxChecked(viewer, kCbDebugOutput));
    CHECK_SENT(Print(viewer, "heard"));
    CHECK_EQ(PaneText(viewer), "from a file\r\nheard\r\n");
    CHECK(ChooseCommand(viewer, kMnuDebugOutput));
    CHECK(!IsBoxChecked(viewer, kCbDebugOutput));
    CHECK_SENT(Print(viewer, "ignored again"));
    CHECK_EQ(PaneText(viewer), "from a file\r\nheard\r\n");

    // The ignored SETLOGFILE left the log where it was.
    CHECK(run.Close());
    CHECK(FileExists(run.LogPath()));
    CHECK(!FileExists(folder + "newlog.txt"));
    RemoveFolder(folder);
}

void LogConnectWrittenAtOnce() {
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK_EQ(SettingOrAbsent("LogConnect"), "0");
    CHECK(ClickControl(viewer, kCbLogConnect));
    CHECK(IsBoxChecked(viewer, kCbLogConnect));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "1");
    CHECK(ClickControl(viewer, kCbLogConnect));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "0");
    CHECK(ChooseCommand(viewer, kMnuLogConnect));
    CHECK(IsBoxChecked(viewer, kCbLogConnect));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "1");
    CHECK(ChooseCommand(viewer, kMnuLogConnect));
    CHECK(!IsBoxChecked(viewer, kCbLogConnect));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "0");
    // Set aside by someone else meanwhile: the next change writes it again.
    CHECK(SetSetting("LogConnect", "x"));
    CHECK(ClickControl(viewer, kCbLogConnect));
    CHECK_EQ(SettingOrAbsent("LogConnect"), "1");
    CHECK(run.Close());
    // Not rewritten at close.
    CHECK_EQ(SettingOrAbsent("LogConnect"), "1");
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
    RunTest("Clear from the button and the menu", ClearFromButtonAndMenu);
    RunTest("Mark from the button and the menu shows the locale's time",
            MarkFromButtonAndMenuShowsTheLocaleTime);
    RunTest("Import replaces the pane or leaves it alone", ImportReplacesThePaneOrLeavesItAlone);
    RunTest("Export writes, overwrites and adds the extension", ExportWritesOverwritesAndAddsTheExtension);
    RunTest("a failed Export or Import restores Stay on Top", FailedExportRestoresStayOnTop);
    RunTest("Info shows the About box", InfoShowsTheAboutBox);
    RunTest("Stay on Top from the box and the menu", StayOnTopFromBoxAndMenu);
    RunTest("toolbar hidden and brought back", ToolbarHiddenAndBroughtBack);
    RunTest("Debug Output off ignores clients but not the user", DebugOutputOffIgnoresClientsButNotTheUser);
    RunTest("Log Client Connections written at once", LogConnectWrittenAtOnce);
    return Finish();
}
