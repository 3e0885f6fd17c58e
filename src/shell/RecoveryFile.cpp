#include "shell/RecoveryFile.h"

#include "pane/FileSystem.h"

const char* const RecoveredLine = "***** Recovered after the viewer ended without closing *****";

// An empty log name would give a name of the current folder's.
bool TRecoveryFile::ExistsFor(const std::string& logFile) const {
    return !logFile.empty() && FFiles.IsExistingFile(NameFor(logFile));
}

// Comparing the text itself, rather than counting changes, also catches
// whatever changes the pane without the viewer's operations: the user's
// typing, and text that another program puts into it.
TRecoveryFile::TUpdate TRecoveryFile::Update(const std::string& logFile, const std::string& paneText) {
    if (paneText == FKeptText)
        return TUpdate::Unchanged;
    FKeptText = paneText;
    return FFiles.WriteFileInOneStep(NameFor(logFile), paneText) ? TUpdate::Written : TUpdate::Failed;
}

void TRecoveryFile::LogWritten(const std::string& logFile, const std::string& paneText) {
    FKeptText = paneText;
    if (ExistsFor(logFile))
        FFiles.RemoveFile(NameFor(logFile));
}
