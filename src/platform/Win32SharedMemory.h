#pragma once

#include "channel/SharedMemory.h"

// Named file mappings backed by the paging file.
class TWin32SharedMemory : public ISharedMemory {
  public:
    std::unique_ptr<ISharedRegion> CreateRegion(const std::string& name, std::int32_t size) override;
};
