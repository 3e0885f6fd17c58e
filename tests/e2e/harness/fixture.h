#pragma once

#include "check.h"
#include "client.h"
#include "files.h"
#include "history.h"
#include "pane.h"
#include "registry.h"
#include "ui.h"
#include "viewer_run.h"
#include "wait.h"

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// Starts the viewer copy and asserts what every test relies on: the copy was made and the viewer's window
// appeared. With waitVisible, also that the start-up sequence has ended (the window is shown).
bool StartViewer(ViewerRun& run, bool waitVisible = true);

// The same with no settings key at all, the state of a first run.
bool StartFirstRun(ViewerRun& run);

// For a region made the way a client started before the viewer makes it: checks that it was made, and
// prepares a first run (no settings key). False after a failed check.
bool ReadyForFirstRunWith(const Region& early);

// Fills the region with the argument and sends a command that may make the viewer show a box; every box
// shown meanwhile is taken.
BoxedAnswer SendBoxed(const ViewerRun& run, Command command, const std::string& argument);

// dravik-send.exe beside this test.
std::string SendTool();

// Checks the window's place and size on the screen.
void CheckPlacement(HWND window, long left, long top, long width, long height);

// A text of the given length made of printable characters that change along it, so that a cut at the wrong
// place shows.
std::string Filler(std::size_t length, std::size_t seed = 0);
// Lines of the given width joined by CR LF, total length exactly length, ending with CR LF when length
// allows.
std::string FillerLines(std::size_t length, std::size_t lineWidth = 98);
// Line `number` of a flood: the number and a colon, then filler mostly shorter than shortLimit, now and then
// near the region's limit. The lengths follow seed.
std::string FloodLine(std::uint32_t& seed, int number, std::size_t shortLimit);
// The text's lines without their CR LF; a last line without a break counts too.
std::vector<std::string> SplitLines(const std::string& text);

} // namespace e2e
