#pragma once

#include <string>

class IFileSystem;

// How often the viewer looks whether the pane needs copying. Half the
// promised second: a change just after one look is copied at the next,
// with room left for a late timer and for the write itself.
const unsigned RecoveryInterval = 500;

extern const char* const RecoveredLine;

// The copy of the pane that the viewer keeps beside its log while it runs,
// in the log's format. A viewer that ends without its close sequence
// (killed, crashed, the power gone) leaves it behind, and the next start
// loads the pane from it: only the last moments of output are lost.
class TRecoveryFile {
  public:
    explicit TRecoveryFile(IFileSystem& files) : FFiles(files) {}

    static std::string NameFor(const std::string& logFile) { return logFile + ".recover"; }
    // Where the copy is written before it takes the copy's place: beside it,
    // and no longer, so that every name the copy can have works for it too.
    static std::string TemporaryNameFor(const std::string& logFile) { return logFile + ".rec~tmp"; }
    bool ExistsFor(const std::string& logFile) const;
    // The copy holds text the log does not: the last viewer on the log ended
    // without a close that wrote the log after the copy.
    bool OutranksLog(const std::string& logFile) const;

    // What the next start would show in the pane, as the files stand now:
    // a pane that still holds this needs no copy.
    void Kept(const std::string& paneText) { FKeptText = paneText; }
    enum class TUpdate { Unchanged, Written, Failed };
    // Copies the pane if it differs from what the files keep. A copy that
    // could not be written is tried again at every call until it is.
    TUpdate Update(const std::string& logFile, const std::string& paneText);
    // The pane has been written into the log: the copy has done its work.
    void LogWritten(const std::string& logFile, const std::string& paneText);
    // A copy that the log outranks: removed where possible.
    void RemoveOutranked(const std::string& logFile);

  private:
    IFileSystem& FFiles;
    std::string FKeptText;
};
