#pragma once

#include <cstdint>
#include <vector>

#include "shell/historyview/HistoryLine.h"
#include "shell/historyview/RowBlock.h"

class THistoryModel;

// The rows the window drew last, decoded for display. The list asks for each column of each row it
// draws; a miss reads the row with the rows after it in one go, so a screenful costs one or two reads.
// For the window's thread only.
class THistoryRowCache {
  public:
    explicit THistoryRowCache(THistoryModel& model);

    // The row at a shown position, or null past the last one. A row whose file cannot be read shows
    // empty and is tried again next time. Valid until the next call.
    const THistoryRow* Row(std::uint32_t shown);

  private:
    struct TSlot {
        // Row numbers are never given twice, and a row never changes: no entry goes stale.
        std::uint64_t Id = ~std::uint64_t(0);
        THistoryRow Row;
    };

    THistoryModel& FModel;
    std::vector<TSlot> FSlots;
    TRowBlock FBlock;
    std::vector<std::uint64_t> FIds;
    THistoryRow FUnreadable;
};
