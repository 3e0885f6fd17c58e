#include "pane/MessagePane.h"

#include "common/ViewerError.h"
#include "pane/CapacityRule.h"
#include "pane/FileSystem.h"
#include "pane/PaneControl.h"
#include "pane/PaneLines.h"
#include "pane/TextFile.h"

void TMessagePane::DoPrint(const std::string& text) {
    const std::size_t removed = CharactersToTrim(FControl.TextLength(), text.size());
    if (removed > 0) {
        FControl.Select(0, removed);
        FControl.ReplaceSelection("");
        InsertLineAtTop(FControl, LimitationLine(removed));
    }
    AppendLine(FControl, text);
}

void TMessagePane::DoClear() {
    FControl.SetText("");
}

void TMessagePane::DoLoadFromFile(const std::string& fileName) {
    if (!FFiles.IsExistingFile(fileName))
        return;
    std::string bytes;
    if (!FFiles.ReadWholeFile(fileName, bytes))
        throw TViewerError("Cannot open file " + fileName);
    if (!FControl.SetText(PaneTextFromFileBytes(bytes)))
        throw TViewerError("Text exceeds memo capacity");
}

void TMessagePane::DoSaveToFile(const std::string& fileName) {
    switch (FFiles.WriteWholeFile(fileName, FControl.Text())) {
    case TWriteResult::Ok:
        return;
    case TWriteResult::CannotCreate:
        throw TViewerError("Cannot create file " + fileName);
    case TWriteResult::WriteFailed:
        throw TViewerError("Stream write error");
    }
}

bool CanWriteFile(IFileSystem& files, const std::string& fileName) {
    if (files.IsExistingFile(fileName))
        return files.CanOpenForWriting(fileName);
    // Only a file this probe created itself is removed: if creation failed,
    // a file of that name may just have been made by another program.
    if (!files.CreateNewFile(fileName))
        return false;
    files.RemoveFile(fileName);
    return true;
}
