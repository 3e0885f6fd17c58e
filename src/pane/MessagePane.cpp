#include "pane/MessagePane.h"

#include "common/ViewerError.h"
#include "pane/FileSystem.h"
#include "pane/PaneBuffer.h"
#include "pane/TextFile.h"

void TMessagePane::Print(std::string_view prefix, std::string_view text) {
    FPane.Print(prefix, text);
}

void TMessagePane::DoClear() {
    FPane.SetText("");
}

void TMessagePane::DoLoadFromFile(const std::string& fileName) {
    if (!FFiles.IsExistingFile(fileName))
        return;
    std::string bytes;
    if (!FFiles.ReadWholeFile(fileName, bytes))
        throw TViewerError("Cannot open file " + fileName);
    if (!FPane.SetText(PaneTextFromFileBytes(bytes)))
        throw TViewerError("Text exceeds memo capacity");
}

void TMessagePane::DoSaveToFile(const std::string& fileName) {
    switch (FFiles.WriteWholeFile(fileName, FPane.Text())) {
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
