#include "shell/history/HistoryWriter.h"

#include <algorithm>

#include "shell/history/HistoryLimit.h"
#include "shell/history/HistoryNames.h"

namespace {
// A buffer keeps room for as much as its last batch held, so a steady flood does not grow it anew on the
// window's thread each time; after the flood it gives the room back.
const std::size_t SmallestKeptRoom = 65536;
// Only another program creating files of the same names at once would use more than a few.
const int MostNameAttempts = 100;

void Recycle(THistoryBatch& batch) {
    const std::size_t room = std::max(batch.Bytes.size(), SmallestKeptRoom);
    batch.Bytes.clear();
    if (batch.Bytes.capacity() < room || batch.Bytes.capacity() > 2 * room) {
        std::string fresh;
        fresh.reserve(room);
        batch.Bytes.swap(fresh);
    }
    batch.Switches.clear();
    batch.Dropped = 0;
}

// Every entry ends with its own LF, and no text holds one.
std::uint64_t EntriesIn(const std::string& bytes, std::size_t begin, std::size_t end) {
    return static_cast<std::uint64_t>(std::count(bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                                                 bytes.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

// The system's reasons may end in a line break, which a line of the pane cannot hold.
std::string Trimmed(std::string reason) {
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? "unknown reason" : reason;
}
} // namespace

std::string HistoryFailureLine(const std::string& folder, const std::string& reason) {
    return "***** Cannot write the history " + folder + ": " + Trimmed(reason) + " *****";
}

std::string HistoryNotKeptLine(std::uint64_t lines, const std::string& folder) {
    return "***** " + std::to_string(lines) + (lines == 1 ? " line was" : " lines were") +
           " not kept in the history " + folder + " *****";
}

THistoryWriter::THistoryWriter(IHistoryDisk& disk, std::uint64_t limitBytes)
    : FDisk(disk), FLimitBytes(limitBytes), FRotationBytes(HistoryRotationBytes(limitBytes)) {}

// Writing works again only when the whole batch was written; the count of what was lost then waits until
// no more is being lost, so a flood that outruns the disk gives one line at its end, not one per batch.
// The viewer's own lines (these notices among them) come back here as lines: a notice needs the disk to
// fail or to work again, or a flood to end, never only another line, so they cannot feed each other.
void THistoryWriter::Write(THistoryBatch& batch, const TLineTime& now, std::vector<std::string>& notices) {
    if (FLimitBytes == 0) {
        Recycle(batch);
        return;
    }
    bool wrote = false;
    bool lost = false;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= batch.Switches.size(); ++i) {
        const std::size_t end = i < batch.Switches.size()
                                    ? std::min(batch.Switches[i].Offset, batch.Bytes.size())
                                    : batch.Bytes.size();
        if (begin < end) {
            if (WriteEntries(batch.Bytes, begin, end, now, notices))
                wrote = true;
            else
                lost = true;
            begin = end;
        }
        if (i < batch.Switches.size())
            UseFolder(batch.Switches[i].Folder, notices);
    }
    // Dropped for want of room: the last lines handed over, in the folder in use at the end.
    NotKept(batch.Dropped);
    if (wrote && !lost) {
        FFailedFolder.clear();
        if (FNotKept != 0 && batch.Dropped == 0) {
            notices.push_back(HistoryNotKeptLine(FNotKept, FNotKeptFolder));
            FNotKept = 0;
        }
    }
    Recycle(batch);
}

// At the start and at each switch: the folder is made and trimmed at once, before any line asks for a
// file, so that a folder that cannot be written is reported right away. The file itself is started by
// the first line, so a run that prints nothing leaves no empty file behind.
void THistoryWriter::UseFolder(const std::string& folder, std::vector<std::string>& notices) {
    FFolder = folder;
    FFile.clear();
    FFolderReady = false;
    std::string reason;
    std::vector<THistoryFile> files;
    if (!FDisk.CreateFolder(FFolder, reason) || !FDisk.ListFolder(FFolder, files, reason)) {
        Failed(reason, 0, notices);
        return;
    }
    FFolderReady = true;
    RemoveOldest(files);
}

bool THistoryWriter::WriteEntries(const std::string& bytes, std::size_t begin, std::size_t end,
                                  const TLineTime& now, std::vector<std::string>& notices) {
    std::string reason;
    if (FFolder.empty()) {
        NotKept(EntriesIn(bytes, begin, end));
        return false;
    }
    bool ready = true;
    if (FFile.empty())
        ready = StartFile(now, reason);
    else if (!FFolderReady)
        ready = FDisk.CreateFolder(FFolder, reason);
    if (!ready) {
        Failed(reason, EntriesIn(bytes, begin, end), notices);
        return false;
    }
    FFolderReady = true;
    const std::size_t size = end - begin;
    const std::size_t written =
        std::min(FDisk.Append(HistoryFilePath(FFolder, FFile), bytes.data() + begin, size, reason), size);
    FFileSize += written;
    if (written < size) {
        // A torn entry stays at the end of its file rather than run into the next one.
        if (written != 0 && bytes[begin + written - 1] != '\n')
            FFile.clear();
        FFolderReady = false;
        Failed(reason, EntriesIn(bytes, begin + written, end), notices);
        return false;
    }
    if (FFileSize >= FRotationBytes)
        FFile.clear();
    return true;
}

// The folder's files are listed anyway for a free name; the limit is checked then, with the new file
// counted at its full size, and not at each write.
bool THistoryWriter::StartFile(const TLineTime& now, std::string& reason) {
    std::vector<THistoryFile> files;
    if (!FDisk.CreateFolder(FFolder, reason) || !FDisk.ListFolder(FFolder, files, reason))
        return false;
    std::vector<std::string> names;
    for (const THistoryFile& file : files)
        names.push_back(file.Name);
    for (int attempt = 0; attempt < MostNameAttempts; ++attempt) {
        const std::string name = NewHistoryFileName(now, names);
        switch (FDisk.CreateNewFile(HistoryFilePath(FFolder, name), reason)) {
        case IHistoryDisk::TCreate::Created:
            FFile = name;
            FFileSize = 0;
            files.push_back(THistoryFile{name, 0});
            RemoveOldest(files);
            return true;
        case IHistoryDisk::TCreate::Exists:
            names.push_back(name);
            break;
        case IHistoryDisk::TCreate::Failed:
            return false;
        }
    }
    reason = "every name for a new file is taken";
    return false;
}

void THistoryWriter::RemoveOldest(const std::vector<THistoryFile>& files) {
    for (const std::string& name : HistoryFilesToRemove(files, FFile, FLimitBytes))
        FDisk.RemoveFile(HistoryFilePath(FFolder, name));
}

void THistoryWriter::Failed(const std::string& reason, std::uint64_t linesLost,
                            std::vector<std::string>& notices) {
    if (FFailedFolder != FFolder) {
        notices.push_back(HistoryFailureLine(FFolder, reason));
        FFailedFolder = FFolder;
    }
    NotKept(linesLost);
}

void THistoryWriter::NotKept(std::uint64_t lines) {
    if (lines == 0)
        return;
    if (FNotKept == 0)
        FNotKeptFolder = FFolder;
    FNotKept += lines;
}
