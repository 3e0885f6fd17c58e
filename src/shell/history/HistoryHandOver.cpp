#include "shell/history/HistoryHandOver.h"

#include "shell/history/HistoryEntry.h"
#include "shell/history/HistoryNames.h"

namespace {
// A converted line longer than this gives its room back, so one huge line does not stay in the viewer.
const std::size_t KeptConversionRoom = 65536;

// Every system code page writes these bytes as ASCII does, and so does UTF-8: most lines need no
// conversion at all.
bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}
} // namespace

THistoryHandOver::THistoryHandOver(IToUtf8& toUtf8, bool on, std::size_t mostHeldBytes)
    : FToUtf8(toUtf8), FOn(on), FMostHeldBytes(mostHeldBytes) {}

// Two switches with no line between them make one.
void THistoryHandOver::UseLogFile(const std::string& logFile) {
    if (!FOn)
        return;
    FHasLogFile = true;
    if (!FSwitches.empty() && FSwitches.back().Offset == FPending.size())
        FSwitches.back().Folder = HistoryFolderFor(logFile);
    else
        FSwitches.push_back(THistorySwitch{FPending.size(), HistoryFolderFor(logFile)});
}

// A client's UTF-8 is kept as it was sent; the rest is converted from the code page. Once the bound is
// reached a line is only counted, which is cheap: its line breaks are where they are in its UTF-8 (no code
// page uses CR or LF inside a character). A line that would pass the bound is taken back.
void THistoryHandOver::Add(const TReceivedLine& line) {
    if (!FOn || !FHasLogFile)
        return;
    const std::size_t before = FPending.size();
    if (before >= FMostHeldBytes) {
        FDropped += HistoryEntryCount(line.HasUtf8 ? line.Utf8 : line.Text);
        return;
    }
    std::string_view text = line.Utf8;
    if (!line.HasUtf8) {
        text = line.Text;
        if (!IsAscii(line.Text)) {
            FToUtf8.Convert(line.Text, FConverted);
            text = FConverted;
        }
    }
    const std::size_t entries = AppendHistoryEntries(FPending, line.Received, line.Origin, text);
    if (FPending.size() > FMostHeldBytes) {
        FPending.resize(before);
        FDropped += entries;
    }
    if (FConverted.capacity() > KeptConversionRoom)
        std::string().swap(FConverted);
}

// Only a swap under the lock: the writer's thread holds it for no time at all.
void THistoryHandOver::TakeInto(THistoryBatch& batch) {
    batch.Bytes.swap(FPending);
    batch.Switches.swap(FSwitches);
    batch.Dropped = FDropped;
    FPending.clear();
    FSwitches.clear();
    FDropped = 0;
}
