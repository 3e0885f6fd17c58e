#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "channel/SharedMemory.h"

// The operating-system name of the region that carries a command's text.
extern const char* const RegionName;

// One open region: its mapping and the size asked for when it was created.
class TRef {
  public:
    TRef(std::unique_ptr<ISharedRegion> region, std::int32_t size) : View(std::move(region)), Size(size) {}

    const std::unique_ptr<ISharedRegion> View;
    const std::int32_t Size;
};

// The viewer's open regions by key, in the order they were created; keys are
// compared without regard to letter case.
class TMapList {
  public:
    explicit TMapList(ISharedMemory& memory) : FMemory(memory) {}

    bool CreateMap(const std::string& key, std::int32_t size);
    // Text = the bytes from offset 1 to the first zero byte or the end of the
    // view, whichever comes first. An unknown key leaves text untouched.
    void ReadMap(const std::string& key, std::string& text) const;
    void CloseMap(const std::string& key);
    bool IsOpen(const std::string& key) const { return Find(key) != FEntries.end(); }

  private:
    using TEntries = std::vector<std::pair<std::string, std::unique_ptr<TRef>>>;

    TEntries::const_iterator Find(const std::string& key) const;

    ISharedMemory& FMemory;
    TEntries FEntries;
};
