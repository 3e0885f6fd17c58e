#include "fixture.h"

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

bool IsFileMessage(const std::string& text, const std::string& prefix, const std::string& path) {
    return text.size() == prefix.size() + path.size() + 1 && text.compare(0, prefix.size(), prefix) == 0 &&
           text.back() == '.' && SameFileName(text.substr(prefix.size(), path.size()), path);
}

void CheckOneErrorBox(const BoxedAnswer& answer, const std::string& prefix, const std::string& path,
                      const std::string& what) {
    CHECK_MSG(answer.answered, what + ": no answer");
    CHECK_MSG(answer.result == 0, what + ": answered " + std::to_string(answer.result));
    if (!CHECK_MSG(answer.boxes.size() == 1, what + ": " + std::to_string(answer.boxes.size()) + " boxes"))
        return;
    const ShownBox& box = answer.boxes.front();
    CHECK_MSG(box.caption == "Korvane Dravik", what + ": caption \"" + Printable(box.caption) + "\"");
    CHECK_MSG(IsFileMessage(box.text, prefix, path), what + ": text \"" + Printable(box.text) +
                                                         "\", expected \"" + Printable(prefix + path) +
                                                         ".\"");
    CHECK_MSG(box.stopIcon, what + ": the box shows no stop icon");
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

} // namespace e2e
