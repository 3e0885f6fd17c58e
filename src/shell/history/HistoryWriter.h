#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/ReceivedLine.h"
#include "shell/history/HistoryDisk.h"
#include "shell/history/HistoryHandOver.h"

// The history's side on the writer's thread: writes what the window handed over into the history folder
// of the log in use, starts a new file at the start, after a switch of the log and when a file is full,
// and keeps the folder within its limit. A failure costs the lines it could not write, never a wait.
class THistoryWriter {
  public:
    // limitBytes as HistoryLimitBytes gives it: 0 writes nothing.
    THistoryWriter(IHistoryDisk& disk, std::uint64_t limitBytes);

    // Writes the batch taken from the hand-over and empties it for the next take. now, the local time, names
    // a file started now. Appends to notices the lines the viewer is to print as its own: that the history
    // cannot be written, once until writing works again, and then how many lines were not kept.
    void Write(THistoryBatch& batch, const TLineTime& now, std::vector<std::string>& notices);

  private:
    void UseFolder(const std::string& folder, std::vector<std::string>& notices);
    bool WriteEntries(const std::string& bytes, std::size_t begin, std::size_t end, const TLineTime& now,
                      std::vector<std::string>& notices);
    bool StartFile(const TLineTime& now, std::string& reason);
    void RemoveOldest(const std::vector<THistoryFile>& files);
    void Failed(const std::string& reason, std::uint64_t linesLost, std::vector<std::string>& notices);
    void NotKept(std::uint64_t lines);

    IHistoryDisk& FDisk;
    const std::uint64_t FLimitBytes;
    const std::uint64_t FRotationBytes;
    std::string FFolder;
    // The folder is known to be there: false again after any failure, which may have been its removal.
    bool FFolderReady = false;
    // The file being written, by name; empty when the next write starts a new one.
    std::string FFile;
    std::uint64_t FFileSize = 0;
    // The folder whose failure the viewer was told of; empty while writing works.
    std::string FFailedFolder;
    std::uint64_t FNotKept = 0;
    std::string FNotKeptFolder;
};

// "***** Cannot write the history <folder>: <reason> *****"
std::string HistoryFailureLine(const std::string& folder, const std::string& reason);
// "***** <lines> lines were not kept in the history <folder> *****"
std::string HistoryNotKeptLine(std::uint64_t lines, const std::string& folder);
