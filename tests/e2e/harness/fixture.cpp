#include "fixture.h"

#include <algorithm>

namespace e2e {

bool StartViewer(ViewerRun& run, bool waitVisible) {
    if (!CHECK_MSG(run.Prepared(), "Dravik.exe beside the test could not be copied to " + run.Folder())) {
        return false;
    }
    if (!CHECK_MSG(run.Launch(),
                   "Dravik.exe could not be started, error " + std::to_string(GetLastError()))) {
        return false;
    }
    if (!CHECK_MSG(run.WaitForWindow(), "no window \"Korvane Dravik\" of class TfrmDebug appeared"))
        return false;
    return !waitVisible || CHECK_MSG(run.WaitVisible(), "the viewer's window was never shown");
}

bool StartFirstRun(ViewerRun& run) {
    return CHECK_MSG(DeleteSettings(), "cannot delete the settings key") && StartViewer(run);
}

bool ReadyForFirstRunWith(const Region& early) {
    return CHECK_MSG(early.Valid(), "cannot create the region, error " + std::to_string(early.LastError())) &&
           CHECK_MSG(DeleteSettings(), "cannot delete the settings key");
}

BoxedAnswer SendBoxed(const ViewerRun& run, Command command, const std::string& argument) {
    if (!CHECK_SENT(WriteArgument(argument)))
        return BoxedAnswer();
    return SendDismissingBoxes(run.ProcessId(), run.Window(), command, 0, 0);
}

std::string SendTool() {
    return OwnFolder() + "dravik-send.exe";
}

void CheckPlacement(HWND window, long left, long top, long width, long height) {
    RECT place = {};
    CHECK(GetWindowRect(window, &place));
    CHECK_EQ(place.left, left);
    CHECK_EQ(place.top, top);
    CHECK_EQ(place.right - place.left, width);
    CHECK_EQ(place.bottom - place.top, height);
}

std::string Filler(std::size_t length, std::size_t seed) {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string text(length, ' ');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = kAlphabet[(i * 7 + seed + i / 61) % (sizeof kAlphabet - 1)];
    return text;
}

std::string FillerLines(std::size_t length, std::size_t lineWidth) {
    std::string text;
    std::size_t line = 0;
    while (text.size() + lineWidth + 2 <= length) {
        text += Filler(lineWidth, line++) + "\r\n";
    }
    // The rest fills an incomplete line, so the length is exact.
    const std::size_t rest = length - text.size();
    if (rest >= 2) {
        text += Filler(rest - 2, line) + "\r\n";
    } else {
        text += Filler(rest, line);
    }
    return text;
}

std::string FloodLine(std::uint32_t& seed, int number, std::size_t shortLimit) {
    seed = seed * 1103515245u + 12345u;
    const std::uint32_t draw = (seed >> 8) % 1000;
    const std::size_t length = draw < 5 ? 4000 + draw : draw % shortLimit;
    return std::to_string(number) + ":" + Filler(length, static_cast<std::size_t>(number));
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

} // namespace e2e
