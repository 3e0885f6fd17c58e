#include "shell/historyview/HistoryRowCache.h"

#include <string_view>

#include "shell/historyview/HistoryModel.h"

namespace {

// More than a tall window shows, so that redrawing after a scroll by a page finds most rows.
const std::size_t CacheRows = 512;
// Rows read together on a miss, and the bytes a drawn row is cut at: no list draws more.
const std::size_t ReadAheadRows = 64;
const std::size_t MaxDrawnRowBytes = 64 * 1024;

} // namespace

THistoryRowCache::THistoryRowCache(THistoryModel& model) : FModel(model), FSlots(CacheRows) {}

const THistoryRow* THistoryRowCache::Row(std::uint32_t shown) {
    std::uint64_t id;
    if (!FModel.ShownRow(shown, id))
        return nullptr;
    TSlot& wanted = FSlots[id % CacheRows];
    if (wanted.Id == id)
        return &wanted.Row;
    if (!FModel.PlanShown(shown, ReadAheadRows, MaxDrawnRowBytes, FBlock, FIds) ||
        !ReadRowBlock(FModel.Folder(), FBlock))
        return &FUnreadable;
    // Last to first, so that the row asked for wins a slot that a later row of the block also maps to.
    for (std::size_t i = FBlock.Rows.size(); i-- > 0;) {
        TSlot& slot = FSlots[FIds[i] % CacheRows];
        slot.Id = FIds[i];
        const TRowBlock::TRow& row = FBlock.Rows[i];
        DecodeHistoryRow(std::string_view(FBlock.Bytes.data() + row.Begin, row.End - row.Begin), slot.Row);
    }
    // The plan's first row is the one at the position now, should rows have left the top meanwhile.
    return &FSlots[FIds[0] % CacheRows].Row;
}
