#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// One mapped view of a named shared memory object. The destructor unmaps the
// view and closes the object's handle.
class ISharedRegion {
  public:
    virtual ~ISharedRegion() = default;

    virtual const unsigned char* View() const = 0;
    // The bytes actually mapped, which may differ from the size asked for
    // when another process created the object first.
    virtual std::size_t ViewSize() const = 0;
};

class ISharedMemory {
  public:
    virtual ~ISharedMemory() = default;

    // Creates the named object, or opens it unchanged if it already exists,
    // and maps all of it read/write. Null when either step fails.
    virtual std::unique_ptr<ISharedRegion> CreateRegion(const std::string& name, std::int32_t size) = 0;
};
