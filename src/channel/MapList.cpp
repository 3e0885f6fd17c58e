#include "channel/MapList.h"

#include "dravik/protocol.h"

#include <algorithm>
#include <cctype>
#include <cstring>

const char* const RegionName = DRAVIK_REGION_NAME;

namespace {
bool SameKey(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}
} // namespace

bool TMapList::CreateMap(const std::string& key, std::int32_t size) {
    std::unique_ptr<ISharedRegion> region = FMemory.CreateRegion(RegionName, size);
    if (!region)
        return false;
    FEntries.emplace_back(key, std::make_unique<TRef>(std::move(region), size));
    return true;
}

void TMapList::ReadMap(const std::string& key, std::string& text) const {
    const auto entry = Find(key);
    if (entry == FEntries.end())
        return;
    const ISharedRegion& region = *entry->second->View;
    if (region.ViewSize() < 1) {
        text.clear();
        return;
    }
    // A client may have created the object smaller than asked, or left no
    // zero byte: never read past the view.
    const unsigned char* first = region.View() + 1;
    const std::size_t available = region.ViewSize() - 1;
    const void* zero = std::memchr(first, 0, available);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - first) : available;
    text.assign(reinterpret_cast<const char*>(first), length);
}

void TMapList::CloseMap(const std::string& key) {
    const auto entry = Find(key);
    if (entry != FEntries.end())
        FEntries.erase(entry);
}

TMapList::TEntries::const_iterator TMapList::Find(const std::string& key) const {
    return std::find_if(FEntries.begin(), FEntries.end(),
                        [&key](const TEntries::value_type& entry) { return SameKey(entry.first, key); });
}
