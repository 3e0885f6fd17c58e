#pragma once

#include "boxed_send.h"
#include "check.h"
#include "client.h"
#include "files.h"
#include "message_box.h"
#include "pane.h"
#include "registry.h"
#include "viewer_run.h"
#include "wait.h"

#include <string>

namespace e2e {

// Starts the viewer copy and asserts what every test relies on: the copy was made and the viewer's window
// appeared. With waitVisible, also that the start-up sequence has ended (the window is shown).
bool StartViewer(ViewerRun& run, bool waitVisible = true);

// The same with no settings key at all, the state of a first run.
bool StartFirstRun(ViewerRun& run);

// For a region made the way a client started before the viewer makes it: checks that it was made, and
// prepares a first run (no settings key). False after a failed check.
bool ReadyForFirstRunWith(const Region& early);

// Whether text is prefix, then a file name that names path, then a period: the message of a file error. The
// name may differ from path in letter case, as the viewer's own folder may be spelt differently.
bool IsFileMessage(const std::string& text, const std::string& prefix, const std::string& path);

// Checks that a command was answered with 0 after exactly one error box of the general error display:
// caption "Korvane Dravik", the stop icon, and the file error message prefix + path + ".".
void CheckOneErrorBox(const BoxedAnswer& answer, const std::string& prefix, const std::string& path,
                      const std::string& what);

// A text of the given length made of printable characters that change along it, so that a cut at the wrong
// place shows.
std::string Filler(std::size_t length, std::size_t seed = 0);
// Lines of the given width joined by CR LF, total length exactly length, ending with CR LF when length
// allows.
std::string FillerLines(std::size_t length, std::size_t lineWidth = 98);

} // namespace e2e
