// The two builds of the viewer together. Both keep their settings in the registry's 32-bit view, so a user
// who switches builds keeps them, and a client of either build works with a viewer of either.
//
//   e2e-pair.exe                  this build's viewer only
//   e2e-pair.exe --viewer PATH    also the other build's Dravik.exe at PATH, followed by this build's
#include "dravik/client.h"
#include "harness/fixture.h"
#include "harness/ui.h"

#include <cstring>
#include <string>

using namespace e2e;

namespace {

std::string gOtherViewer;
bool Is64BitWindows() {
#if defined(_WIN64)
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

// The key where a 64-bit program finds it without asking for the 32-bit view.
bool KeyIn64BitView() {
    return OpenMachineKey(kSettingsKey, KEY_READ | KEY_WOW64_64KEY).Valid();
}

// Prints the line through the client header and waits until the pane shows it after what it held before.
bool PrintAndSee(HWND viewer, const char* line, const std::string& before = std::string()) {
    return CHECK_EQ(dravik_print(line), static_cast<int>(DRAVIK_OK)) &&
           CHECK(WaitForPane(viewer, before + line + "\r\n"));
}

void CheckLogConnect(int expected) {
    int on = -1;
    CHECK_EQ(dravik_log_connect(&on), static_cast<int>(DRAVIK_OK));
    CHECK_EQ(on, expected);
}

void SettingsLiveInThe32BitView() {
    if (Is64BitWindows())
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_64KEY, 0);
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    CHECK_EQ(SettingOrAbsent("LogConnect"), "0");
    CheckLogConnect(0);
    CHECK(ClickControl(viewer, kCbLogConnect));
    CheckLogConnect(1);
    if (Is64BitWindows())
        CHECK(!KeyIn64BitView());
    PrintAndSee(viewer, "printed through the client header");
    CHECK(run.Close());
}

// What the other build's viewer keeps at close, this build's viewer finds at its start, and this build's
// client works with both.
void SettingsCarryOverBetweenBuilds() {
    SetViewerSource(gOtherViewer);
    ViewerRun run;
    SetViewerSource(OwnFolder() + "Dravik.exe");
    if (!StartFirstRun(run))
        return;
    HWND viewer = run.Window();
    PrintAndSee(viewer, "printed to the other build");
    CHECK(ClickControl(viewer, kCbFloat));
    CHECK(ClickControl(viewer, kCbLogConnect));
    CheckLogConnect(1);
    CHECK(SetWindowPos(viewer, nullptr, 200, 150, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE));
    CHECK(Settle(viewer));
    if (!CHECK(run.Close()) || !CHECK(run.UseViewer(OwnFolder() + "Dravik.exe")) || !StartViewer(run))
        return;
    viewer = run.Window();
    CHECK(!WindowIsTopmost(viewer));
    CheckPlacement(viewer, 200, 150, 700, 500);
    CHECK(IsBoxChecked(viewer, kCbLogConnect));
    CHECK(SameFileName(SettingOrAbsent("LogFile"), run.LogPath()));
    const std::string carried = "printed to the other build\r\n";
    CHECK_EQ(PaneText(viewer), carried);
    PrintAndSee(viewer, "printed to this build", carried);
    CHECK(run.Close());
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--viewer") == 0)
        gOtherViewer = argv[2];
    RunTest("settings live in the 32-bit view", SettingsLiveInThe32BitView);
    if (gOtherViewer.empty())
        Skip("settings carry over between builds", "no other build named with --viewer");
    else
        RunTest("settings carry over between builds", SettingsCarryOverBetweenBuilds);
    return Finish();
}
