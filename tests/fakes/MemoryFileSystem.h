#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "pane/FileSystem.h"

// Files and folders held in maps, with switches for the failures the real
// file system can produce, for tests.
class TMemoryFileSystem : public IFileSystem {
  public:
    bool IsExistingFile(const std::string& name) const override { return Files.count(name) != 0; }
    bool ReadWholeFile(const std::string& name, std::string& bytes) override {
        if (Locked.count(name) || !Files.count(name))
            return false;
        bytes = Files[name];
        return true;
    }
    TWriteResult WriteWholeFile(const std::string& name, const std::string& bytes) override {
        if (!Creatable(name) || Locked.count(name))
            return TWriteResult::CannotCreate;
        if (FailWritesTo.count(name)) {
            Files[name] = bytes.substr(0, bytes.size() / 2);
            return TWriteResult::WriteFailed;
        }
        Files[name] = bytes;
        ++WriteCount[name];
        Written(name);
        return TWriteResult::Ok;
    }
    bool WriteFileInOneStep(const std::string& name, const std::string& temporaryName,
                            const std::string& bytes) override {
        TemporaryNames.insert(temporaryName);
        if (!Creatable(name) || !Creatable(temporaryName) || Locked.count(name) || FailWritesTo.count(name))
            return false;
        Files[name] = bytes;
        ++WriteCount[name];
        Written(name);
        return true;
    }
    std::uint64_t LastWriteTime(const std::string& name) const override {
        const auto time = Times.find(name);
        return time == Times.end() ? 0 : time->second;
    }
    bool CanOpenForWriting(const std::string& name) override {
        return Files.count(name) && !Locked.count(name) && !ReadOnly.count(name);
    }
    bool CreateNewFile(const std::string& name) override {
        if (Files.count(name) || !Creatable(name))
            return false;
        Files[name] = "";
        return true;
    }
    void RemoveFile(const std::string& name) override {
        ++RemoveCount[name];
        if (Locked.count(name) || Undeletable.count(name))
            return;
        Files.erase(name);
        Times.erase(name);
    }
    std::string ExecutableDirectory() const override { return ExeDirectory; }

    // Each write is later than every one before it.
    void Written(const std::string& name) { Times[name] = ++Clock; }

    // A name is creatable when its folder exists, it is not a folder itself and it is not too long.
    bool Creatable(const std::string& name) const {
        if (name.empty() || name.size() > LongestName || Directories.count(name) || ReadOnly.count(name))
            return false;
        const std::string::size_type slash = name.find_last_of('\\');
        return slash == std::string::npos || Directories.count(name.substr(0, slash + 1)) != 0;
    }

    std::map<std::string, std::string> Files;
    std::set<std::string> Directories{"C:\\", "C:\\Dravik\\"};
    std::set<std::string> Locked;   // held open by another program without sharing
    std::set<std::string> ReadOnly; // exists but refuses writing
    std::set<std::string> FailWritesTo;
    std::set<std::string> Undeletable; // can be written, not removed: a viewer ended just before removing it
    std::map<std::string, int> WriteCount;
    std::map<std::string, int> RemoveCount;
    std::map<std::string, std::uint64_t> Times;
    std::uint64_t Clock = 0;
    std::set<std::string> TemporaryNames;
    std::size_t LongestName = 259;
    std::string ExeDirectory = "C:\\Dravik\\";
};
