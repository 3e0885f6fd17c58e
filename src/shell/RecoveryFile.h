#pragma once

#include <string>

class IClock;
class IFileSystem;
class TLineDistributor;

// How often the viewer looks whether the pane needs copying. Half the
// promised second: a change just after one look is copied at the next,
// with room left for a late timer and for the write itself.
const unsigned RecoveryInterval = 500;

extern const char* const RecoveredLine;

// Writes the recovery copy on a thread of its own, so that the window's
// thread never waits for the disk while clients print.
class IRecoveryWriter {
  public:
    virtual ~IRecoveryWriter() = default;
    // Starts writing text into name in one step, through temporaryName. Only
    // called once the write before has finished.
    virtual void Write(const std::string& name, const std::string& temporaryName,
                       const std::string& text) = 0;
    // True once the last write has finished, with whether it was written.
    virtual bool Finished(bool& written) = 0;
    // Waits until the last write has finished.
    virtual void WaitUntilFinished() = 0;
};

// The copy of the pane that the viewer keeps beside its log while it runs,
// in the log's format. A viewer that ends without its close sequence
// (killed, crashed, the power gone) leaves it behind, and the next start
// loads the pane from it: only the last moments of output are lost. It
// follows the pane's text, which trimming, clearing, loading and the user's
// typing change as well as the lines that arrive.
class TRecoveryFile {
  public:
    TRecoveryFile(IFileSystem& files, IRecoveryWriter& writer, TLineDistributor& lines, const IClock& clock)
        : FFiles(files), FWriter(writer), FLines(lines), FClock(clock) {}

    static std::string NameFor(const std::string& logFile) { return logFile + ".recover"; }
    // Where the copy is written before it takes the copy's place: beside it,
    // and no longer, so that every name the copy can have works for it too.
    static std::string TemporaryNameFor(const std::string& logFile) { return logFile + ".rec~tmp"; }
    bool ExistsFor(const std::string& logFile) const;
    // The copy holds text the log does not: the last viewer on it ended
    // without a close that wrote the log after the copy.
    bool OutranksLog(const std::string& logFile) const;

    // What the next start would show in the pane, as the files stand now:
    // a pane that still holds this needs no copy.
    void Kept(const std::string& paneText) { FKeptText = paneText; }
    enum class TUpdate { Unchanged, Writing, Written, Failed };
    // The timer's look: hands the pane over to the writer if it differs from
    // what the files keep. A copy that could not be written is tried again
    // at every look until it is, and said in the pane once per run.
    void Look(const std::string& logFile, const std::string& paneText);
    // There is no timer to look: no copy is kept, which the pane says.
    void Unavailable(const std::string& logFile) { SayNotSurviving(logFile); }
    // Brings the copy up to date now, on this thread: before the log is
    // written at a close or a log switch.
    TUpdate Update(const std::string& logFile, const std::string& paneText);
    // The pane has been written into the log: the copy has done its work.
    void LogWritten(const std::string& logFile, const std::string& paneText);
    // A copy that the log outranks: removed where possible.
    void RemoveOutranked(const std::string& logFile);

  private:
    TUpdate Tick(const std::string& logFile, const std::string& paneText);
    TUpdate WriteFinished();
    void SayNotSurviving(const std::string& logFile);

    IFileSystem& FFiles;
    IRecoveryWriter& FWriter;
    TLineDistributor& FLines;
    const IClock& FClock;
    std::string FKeptText;
    // The text being written, while the writer has it.
    std::string FWritingText;
    bool FWriting = false;
    bool FNotSurvivingSaid = false;
};
