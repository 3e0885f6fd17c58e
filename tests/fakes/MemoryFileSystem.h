#pragma once

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
        return TWriteResult::Ok;
    }
    bool WriteFileInOneStep(const std::string& name, const std::string& bytes) override {
        if (!Creatable(name) || Locked.count(name) || FailWritesTo.count(name))
            return false;
        Files[name] = bytes;
        ++WriteCount[name];
        return true;
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
        Files.erase(name);
        ++RemoveCount[name];
    }
    std::string ExecutableDirectory() const override { return ExeDirectory; }

    // A name is creatable when its folder exists and it is not a folder itself.
    bool Creatable(const std::string& name) const {
        if (name.empty() || Directories.count(name) || ReadOnly.count(name))
            return false;
        const std::string::size_type slash = name.find_last_of('\\');
        return slash == std::string::npos || Directories.count(name.substr(0, slash + 1)) != 0;
    }

    std::map<std::string, std::string> Files;
    std::set<std::string> Directories{"C:\\", "C:\\Dravik\\"};
    std::set<std::string> Locked;   // held open by another program without sharing
    std::set<std::string> ReadOnly; // exists but refuses writing
    std::set<std::string> FailWritesTo;
    std::map<std::string, int> WriteCount;
    std::map<std::string, int> RemoveCount;
    std::string ExeDirectory = "C:\\Dravik\\";
};
