#pragma once

#include <cstdint>
#include <string>

enum class TWriteResult { Ok, CannotCreate, WriteFailed };

// Whole-file access for the pane. Every file is opened and closed within one
// call, without sharing, so another program never sees half an operation.
class IFileSystem {
  public:
    virtual ~IFileSystem() = default;

    // True for an existing regular file; a directory does not count.
    virtual bool IsExistingFile(const std::string& name) const = 0;
    // False when the file cannot be opened or read.
    virtual bool ReadWholeFile(const std::string& name, std::string& bytes) = 0;
    // Creates or truncates the file and writes the bytes.
    virtual TWriteResult WriteWholeFile(const std::string& name, const std::string& bytes) = 0;
    // Writes the bytes into temporaryName (a file beside name), flushed to the disk, which then takes name's
    // place in one step: whoever looks, even after a loss of power, finds name missing, or whole with the
    // old bytes or with the new ones, never empty or half written. False when any step fails.
    virtual bool WriteFileInOneStep(const std::string& name, const std::string& temporaryName,
                                    const std::string& bytes) = 0;
    // When the file's content last changed, in a unit that orders the times of one file system; 0 where it
    // cannot be had.
    virtual std::uint64_t LastWriteTime(const std::string& name) const = 0;
    // Opens an existing file for writing without truncating it, and closes it again.
    virtual bool CanOpenForWriting(const std::string& name) = 0;
    // Creates a new empty file, failing if any file of that name exists already.
    virtual bool CreateNewFile(const std::string& name) = 0;
    virtual void RemoveFile(const std::string& name) = 0;
    // The folder of the running executable, with its trailing separator.
    virtual std::string ExecutableDirectory() const = 0;
};
