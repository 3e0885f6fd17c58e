#pragma once

#include <string>

#include "pane/FileSystem.h"
#include "shell/RecoveryFile.h"

// The recovery copy's writer that writes at once, on the caller's thread,
// or holds a write back until Complete when Held.
class TMemoryRecoveryWriter : public IRecoveryWriter {
  public:
    explicit TMemoryRecoveryWriter(IFileSystem& files) : FFiles(files) {}

    void Write(const std::string& name, const std::string& temporaryName, const std::string& text) override {
        FName = name;
        FTemporaryName = temporaryName;
        FText = text;
        FBusy = true;
        ++Writes;
        if (!Held)
            Complete();
    }
    bool Finished(bool& written) override {
        written = FWritten;
        return !FBusy;
    }
    void WaitUntilFinished() override { Complete(); }

    void Complete() {
        if (FBusy)
            FWritten = FFiles.WriteFileInOneStep(FName, FTemporaryName, FText);
        FBusy = false;
    }

    bool Held = false;
    int Writes = 0;

  private:
    IFileSystem& FFiles;
    std::string FName;
    std::string FTemporaryName;
    std::string FText;
    bool FBusy = false;
    bool FWritten = false;
};
