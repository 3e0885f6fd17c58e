#include "shell/RecoveryFile.h"

#include "pane/FileSystem.h"
#include "shell/LinePath.h"

const char* const RecoveredLine = "***** Recovered after the viewer ended without closing *****";

// An empty log name would give a name of the current folder's.
bool TRecoveryFile::ExistsFor(const std::string& logFile) const {
    return !logFile.empty() && FFiles.IsExistingFile(NameFor(logFile));
}

// A close writes the copy first and the log after it, then removes the
// copy. A copy still there that is not newer than the log was left by a
// close that could not remove it (another program held it), or by a viewer
// ended just before the removal: the log holds the last text. Where the
// times cannot be had, the copy is trusted, as it always was.
bool TRecoveryFile::OutranksLog(const std::string& logFile) const {
    if (!ExistsFor(logFile))
        return false;
    if (!FFiles.IsExistingFile(logFile))
        return true;
    const std::uint64_t copyTime = FFiles.LastWriteTime(NameFor(logFile));
    const std::uint64_t logTime = FFiles.LastWriteTime(logFile);
    return copyTime == 0 || logTime == 0 || copyTime > logTime;
}

// Comparing the text itself, rather than counting changes, also catches
// whatever changes the pane without the viewer's operations: the user's
// typing, and text that another program puts into it. The text counts as
// kept only once it is written, so a failed write is tried again at the
// next look, also when the pane does not change any more.
TRecoveryFile::TUpdate TRecoveryFile::Tick(const std::string& logFile, const std::string& paneText) {
    TUpdate update = FWriting ? WriteFinished() : TUpdate::Unchanged;
    if (update == TUpdate::Writing || paneText == FKeptText)
        return update;
    FWritingText = paneText;
    FWriting = true;
    FWriter.Write(NameFor(logFile), TemporaryNameFor(logFile), FWritingText);
    // A writer that is done at once is heard at once; a failure heard before
    // the new write is not lost behind it.
    const TUpdate now = WriteFinished();
    return update == TUpdate::Failed ? update : now;
}

void TRecoveryFile::Look(const std::string& logFile, const std::string& paneText) {
    if (Tick(logFile, paneText) == TUpdate::Failed)
        SayNotSurviving(logFile);
}

// Once per run: the user learns that a crash would lose the output, and the
// pane is not filled with the same line while the cause lasts.
void TRecoveryFile::SayNotSurviving(const std::string& logFile) {
    if (FNotSurvivingSaid)
        return;
    FNotSurvivingSaid = true;
    FLines.Hand(OwnLine("***** Cannot write the recovery file " + NameFor(logFile) +
                            ": output would not survive a crash *****",
                        FClock));
}

TRecoveryFile::TUpdate TRecoveryFile::WriteFinished() {
    bool written = false;
    if (!FWriter.Finished(written))
        return TUpdate::Writing;
    FWriting = false;
    if (!written)
        return TUpdate::Failed;
    FKeptText.swap(FWritingText);
    return TUpdate::Written;
}

TRecoveryFile::TUpdate TRecoveryFile::Update(const std::string& logFile, const std::string& paneText) {
    if (FWriting) {
        FWriter.WaitUntilFinished();
        WriteFinished();
    }
    if (paneText == FKeptText)
        return TUpdate::Unchanged;
    if (!FFiles.WriteFileInOneStep(NameFor(logFile), TemporaryNameFor(logFile), paneText))
        return TUpdate::Failed;
    FKeptText = paneText;
    return TUpdate::Written;
}

void TRecoveryFile::LogWritten(const std::string& logFile, const std::string& paneText) {
    FKeptText = paneText;
    RemoveOutranked(logFile);
}

void TRecoveryFile::RemoveOutranked(const std::string& logFile) {
    if (ExistsFor(logFile))
        FFiles.RemoveFile(NameFor(logFile));
}
