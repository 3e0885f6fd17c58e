#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "channel/SharedMemory.h"

// Named regions kept in this process, for tests. Regions of one name share
// their bytes, like views of one object in two processes.
class TMemorySharedMemory : public ISharedMemory {
  public:
    std::unique_ptr<ISharedRegion> CreateRegion(const std::string& name, std::int32_t size) override {
        ++CreateCount;
        if (Fail || size <= 0)
            return nullptr;
        std::shared_ptr<std::vector<unsigned char>>& bytes = Objects[name];
        if (!bytes)
            bytes = std::make_shared<std::vector<unsigned char>>(static_cast<std::size_t>(size));
        return std::make_unique<TRegion>(bytes, OpenRegions);
    }

    // Creates the object the way a client would before the viewer starts.
    std::vector<unsigned char>& Precreate(const std::string& name, std::size_t size) {
        Objects[name] = std::make_shared<std::vector<unsigned char>>(size);
        return *Objects[name];
    }
    std::vector<unsigned char>& Bytes(const std::string& name) { return *Objects.at(name); }

    std::map<std::string, std::shared_ptr<std::vector<unsigned char>>> Objects;
    std::shared_ptr<int> OpenRegions = std::make_shared<int>(0);
    int CreateCount = 0;
    bool Fail = false;

  private:
    class TRegion : public ISharedRegion {
      public:
        TRegion(std::shared_ptr<std::vector<unsigned char>> bytes, std::shared_ptr<int> openCount)
            : FBytes(std::move(bytes)), FOpenCount(std::move(openCount)) {
            ++*FOpenCount;
        }
        ~TRegion() override { --*FOpenCount; }
        const unsigned char* View() const override { return FBytes->data(); }
        std::size_t ViewSize() const override { return FBytes->size(); }

      private:
        std::shared_ptr<std::vector<unsigned char>> FBytes;
        std::shared_ptr<int> FOpenCount;
    };
};
