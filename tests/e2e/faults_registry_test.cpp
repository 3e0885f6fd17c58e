// Every settings value the viewer reads, set to what a user, an installer or another program may leave
// there: empty text, words, numbers beyond any range, texts longer than the read buffer, and values that are
// not strings at all. The viewer takes the bytes as text up to their first zero byte (nothing at all when
// they do not fit its 254-byte buffer), must never crash on them, shows the integer error box only for
// placement values whose text is not an integer, and keeps running.
#include "harness/faults.h"
#include "harness/fixture.h"

#include <cstdio>
#include <vector>

using namespace e2e;

namespace {

struct Setting {
    std::string name;
    DWORD type;
    std::string data;
};

Setting Sz(const std::string& name, const std::string& text) {
    return {name, REG_SZ, text + std::string(1, '\0')};
}

Setting Dword(const std::string& name, DWORD value) {
    return {name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

Setting Binary(const std::string& name, const std::string& bytes) {
    return {name, REG_BINARY, bytes};
}

Setting Multi(const std::string& name, const std::vector<std::string>& strings) {
    std::string data;
    for (const std::string& s : strings)
        data += s + std::string(1, '\0');
    return {name, REG_MULTI_SZ, data + std::string(1, '\0')};
}

const char* const kSwitchesAndLog[] = {"Floating", "Toolbar", "LogConnect", "LogFile"};
const char* const kIntegerValues[] = {"Top", "Left", "Width", "Height", "WindowState"};

// What the viewer must make of the settings: the switches, the LogConnect it writes at start, the placement,
// whether the log named by "LogFile" was loaded instead of the default one, and the integer error's message
// (period included; empty: no box).
struct Expect {
    bool topmost, toolbar;
    std::string logConnect;
    long left, top, width, height;
    bool namedLog;
    std::string box;
};
const Expect kDefaults = {true, true, "1", 136, 141, 650, 477, false, ""};

Expect WithBox(const std::string& text) {
    Expect expect = kDefaults;
    expect.box = "'" + text + "' is not a valid integer value.";
    return expect;
}

const std::string kDefaultLog = "the default log\r\n";
const std::string kNamedLog = "the log named by the setting\r\n";
// Stands in a setting's data for the path of the named log, which exists only once the run's folder does.
const std::string kNamed = "<named log>";

std::string NamedLogPath(const ViewerRun& run) {
    return run.Folder() + "named.log";
}

std::string Describe(const Setting& setting) {
    const char* type = setting.type == REG_SZ         ? "REG_SZ"
                       : setting.type == REG_DWORD    ? "REG_DWORD"
                       : setting.type == REG_BINARY   ? "REG_BINARY"
                       : setting.type == REG_MULTI_SZ ? "REG_MULTI_SZ"
                                                      : "?";
    return setting.name + " " + type + " " + std::to_string(setting.data.size()) + " bytes";
}

// Starts a viewer on these settings and checks everything the rules decide about them.
void TryRun(const std::string& label, const std::vector<Setting>& settings, const Expect& expect) {
    std::printf("  case: %s\n", label.c_str());
    if (!CHECK(DeleteSettings()))
        return;
    ViewerRun run;
    if (!CHECK(run.Prepared()))
        return;
    CHECK(WriteFileBytes(run.LogPath(), kDefaultLog));
    CHECK(WriteFileBytes(NamedLogPath(run), kNamedLog));
    for (Setting setting : settings) {
        const std::size_t marker = setting.data.find(kNamed);
        if (marker != std::string::npos)
            setting.data.replace(marker, kNamed.size(), NamedLogPath(run));
        CHECK_MSG(SetSettingRaw(setting.name, setting.type, setting.data), Describe(setting));
    }

    if (!StartViewer(run, false))
        return;
    std::string shown;
    if (!expect.box.empty()) {
        const ShownBox box = TakeBox(run.ProcessId());
        if (!CheckErrorBox(box, expect.box, label))
            return;
        shown = box.text;
    }
    if (!CHECK(run.WaitVisible()))
        return;
    const HWND viewer = run.Window();
    if (expect.box.empty())
        CHECK_MSG(WaitForMessageBox(run.ProcessId(), 300) == nullptr, label + ": an unexpected box");

    const bool topmost = WindowIsTopmost(viewer);
    CHECK_MSG(topmost == expect.topmost, label + ": topmost " + ToText(topmost));
    const HWND toolbar = FindToolbar(viewer);
    const bool toolbarShown = toolbar != nullptr && IsWindowVisible(toolbar) != FALSE;
    CHECK_MSG(toolbarShown == expect.toolbar, label + ": toolbar shown " + ToText(toolbarShown));
    const std::string logConnect = SettingOrAbsent("LogConnect");
    CHECK_MSG(logConnect == expect.logConnect, label + ": LogConnect " + ToText(logConnect));
    CHECK_MSG(!IsIconic(viewer) && !IsZoomed(viewer), label + ": the window is not in the normal state");
    RECT place = {};
    GetWindowRect(viewer, &place);
    const long width = place.right - place.left;
    const long height = place.bottom - place.top;
    CHECK_MSG(place.left == expect.left && place.top == expect.top && width == expect.width &&
                  height == expect.height,
              label + ": placement " + std::to_string(place.left) + "," + std::to_string(place.top) + " " +
                  std::to_string(width) + "x" + std::to_string(height));
    const std::string pane = PaneText(viewer);
    CHECK_EQ(pane, expect.namedLog ? kNamedLog : kDefaultLog);

    // Whatever the settings held, the viewer serves clients and closes normally.
    CHECK_SENT(Print(viewer, "still running"));
    const bool closed = run.Close();
    CHECK(closed);
    CHECK_EQ(SettingOrAbsent("Floating"), expect.topmost ? "1" : "0");
    CHECK_EQ(SettingOrAbsent("Toolbar"), expect.toolbar ? "1" : "0");

    // What was seen, not what was expected: a failed check shows in the row as well.
    std::string outcome = shown.empty() ? "no box" : "box " + ToText(shown);
    outcome += std::string(", ") + (topmost ? "topmost" : "not topmost") + ", toolbar " +
               (toolbarShown ? "shown" : "hidden") + ", LogConnect written " + ToText(logConnect) +
               ", placement " + std::to_string(place.left) + "," + std::to_string(place.top) + " " +
               std::to_string(width) + "x" + std::to_string(height) + ", " +
               (pane == kNamedLog     ? "named log loaded"
                : pane == kDefaultLog ? "default log loaded"
                                      : "pane " + ToText(pane)) +
               (closed ? ", kept running and closed normally" : ", did NOT close normally");
    Result("registry " + label, outcome);
}

// The four values that raise no error are set alongside each integer value, so each kind needs one start
// per integer value that fails, and one start when none fails.
std::vector<Setting> WithSwitches(std::vector<Setting> settings, const std::vector<Setting>& integers) {
    settings.insert(settings.end(), integers.begin(), integers.end());
    return settings;
}

void EmptyValues() {
    std::vector<Setting> settings;
    for (const char* name : kSwitchesAndLog)
        settings.push_back(Sz(name, ""));
    for (const char* name : kIntegerValues)
        settings.push_back(Sz(name, ""));
    TryRun("all nine empty", settings, kDefaults);
}

void NonNumbers() {
    const std::vector<Setting> switches = {Sz("Floating", "off"), Sz("Toolbar", "no"),
                                           Sz("LogConnect", "false"), Sz("LogFile", "not a file")};
    const std::pair<const char*, const char*> integers[] = {
        {"Top", "abc"}, {"Left", "12px"}, {"Width", "0x1F4"}, {"Height", "4e2"}, {"WindowState", "max"}};
    for (const auto& integer : integers) {
        TryRun(std::string("words, ") + integer.first + " \"" + integer.second + "\"",
               WithSwitches(switches, {Sz(integer.first, integer.second)}), WithBox(integer.second));
    }
}

void HugeNumbers() {
    const std::string huge = "99999999999";
    std::vector<Setting> switches;
    for (const char* name : kSwitchesAndLog)
        switches.push_back(Sz(name, huge));
    for (const char* name : kIntegerValues)
        TryRun(std::string("\"99999999999\", ") + name, WithSwitches(switches, {Sz(name, huge)}),
               WithBox(huge));
}

void LongTexts() {
    // Digits, so that a viewer reading only the first 253 of them would show a range error instead of
    // treating the value as absent.
    const std::string longText(300, '1');
    std::vector<Setting> settings;
    for (const char* name : kSwitchesAndLog)
        settings.push_back(Sz(name, longText));
    for (const char* name : kIntegerValues)
        settings.push_back(Sz(name, longText));
    TryRun("all nine 300 characters", settings, kDefaults);
}

void DwordValues() {
    // What a user would type into the registry editor: numbers as DWORDs. Their bytes up to the first zero
    // are the text: 0 reads as empty (so the switches stay on), 200 as the single byte 0xC8.
    const std::vector<Setting> switches = {Dword("Floating", 0), Dword("Toolbar", 0), Dword("LogConnect", 0),
                                           Dword("LogFile", 1)};
    const std::pair<const char*, DWORD> integers[] = {
        {"Top", 200}, {"Left", 300}, {"Width", 700}, {"Height", 500}, {"WindowState", 2}};
    for (const auto& integer : integers) {
        DWORD value = integer.second;
        const std::string bytes(reinterpret_cast<const char*>(&value), sizeof value);
        TryRun(std::string("REG_DWORD, ") + integer.first + " " + std::to_string(value),
               WithSwitches(switches, {Dword(integer.first, value)}),
               WithBox(bytes.substr(0, bytes.find('\0'))));
    }
    // DWORDs whose bytes happen to be digits: 0x30 reads as "0", 0x00303532 as "250".
    const Expect digits = {false, false, "0", 250, 141, 650, 477, false, ""};
    TryRun("REG_DWORD with digit bytes",
           {Dword("Floating", 0x30), Dword("Toolbar", 0x30), Dword("LogConnect", 0x30),
            Dword("Left", 0x00303532)},
           digits);
}

void BinaryValues() {
    // Text bytes without a zero byte: the text is the data's own length. 254 bytes fill the read buffer and
    // still count; 255 do not fit and read as empty.
    const std::string left = std::string(251, ' ') + "321";
    const std::string top = std::string(252, ' ') + "321";
    CHECK_EQ(left.size(), 254u);
    CHECK_EQ(top.size(), 255u);
    const Expect expect = {false, false, "1", 321, 141, 600, 450, true, ""};
    TryRun("REG_BINARY text without a zero byte",
           {Binary("Floating", "0"), Binary("Toolbar", "0"), Binary("LogConnect", "1"),
            Binary("LogFile", kNamed), Binary("Top", top), Binary("Left", left), Binary("Width", "600"),
            Binary("Height", "450"), Binary("WindowState", "0")},
           expect);
    // Bytes that are no text at all.
    TryRun("REG_BINARY bytes, Width",
           {Binary("Floating", std::string("\xFF\x00\x30", 3)), Binary("Width", "\x01\xFF\x80")},
           WithBox("\x01\xFF\x80"));
}

void MultiStringValues() {
    // Only the first string counts: the text ends at the zero byte after it.
    const Expect expect = {false, true, "0", 80, 90, 520, 410, true, ""};
    TryRun("REG_MULTI_SZ, first string a number",
           {Multi("Floating", {"0", "1"}), Multi("Toolbar", {"1", "0"}), Multi("LogConnect", {"0", "1"}),
            Multi("LogFile", {kNamed, "second"}), Multi("Top", {"90", "abc"}), Multi("Left", {"80"}),
            Multi("Width", {"520", ""}), Multi("Height", {"410", "x"}), Multi("WindowState", {"0", "2"})},
           expect);
    TryRun("REG_MULTI_SZ, Height first string a word", {Multi("Height", {"tall", "400"})}, WithBox("tall"));
}

void OddIntegers() {
    // Integers that are valid text but no sensible placement: what the rules leave to the implementation.
    // The viewer must take them without a box and keep running; the window system may adjust them.
    const std::vector<Setting> settings = {Sz("Left", "-30000"), Sz("Top", "$10"), Sz("Width", "-5"),
                                           Sz("Height", "2147483647"), Sz("WindowState", "7")};
    if (!CHECK(DeleteSettings()))
        return;
    for (const Setting& setting : settings)
        CHECK(SetSettingRaw(setting.name, setting.type, setting.data));
    ViewerRun run;
    if (!StartViewer(run))
        return;
    CHECK(WaitForMessageBox(run.ProcessId(), 300) == nullptr);
    RECT place = {};
    GetWindowRect(run.Window(), &place);
    const std::string state = IsIconic(run.Window())   ? "minimised"
                              : IsZoomed(run.Window()) ? "maximised"
                                                       : "normal";
    CHECK_SENT(Print(run.Window(), "still running"));
    CHECK_EQ(PaneText(run.Window()), "still running\r\n");
    CHECK(run.Close());
    Result("registry Left -30000, Top $10, Width -5, Height 2147483647, WindowState 7",
           "no box; the window came up at " + std::to_string(place.left) + "," + std::to_string(place.top) +
               " " + std::to_string(place.right - place.left) + "x" +
               std::to_string(place.bottom - place.top) + ", " + state + "; saved WindowState " +
               ToText(SettingOrAbsent("WindowState")) + ", Width " + ToText(SettingOrAbsent("Width")) +
               "; keeps running");
}

} // namespace

int main() {
    RunTest("empty values", EmptyValues);
    RunTest("values that are not numbers", NonNumbers);
    RunTest("huge numbers", HugeNumbers);
    RunTest("300-character texts", LongTexts);
    RunTest("REG_DWORD values", DwordValues);
    RunTest("REG_BINARY values", BinaryValues);
    RunTest("REG_MULTI_SZ values", MultiStringValues);
    RunTest("integers the rules leave open", OddIntegers);
    return Finish();
}
