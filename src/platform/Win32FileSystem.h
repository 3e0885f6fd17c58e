#pragma once

#include "pane/FileSystem.h"

class TWin32FileSystem : public IFileSystem {
  public:
    bool IsExistingFile(const std::string& name) const override;
    bool ReadWholeFile(const std::string& name, std::string& bytes) override;
    TWriteResult WriteWholeFile(const std::string& name, const std::string& bytes) override;
    bool WriteFileInOneStep(const std::string& name, const std::string& temporaryName,
                            const std::string& bytes) override;
    std::uint64_t LastWriteTime(const std::string& name) const override;
    bool CanOpenForWriting(const std::string& name) override;
    bool CreateNewFile(const std::string& name) override;
    void RemoveFile(const std::string& name) override;
    std::string ExecutableDirectory() const override;
};
