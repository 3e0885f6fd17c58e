#pragma once

#include <cstdint>
#include <string>

#include "shell/historyview/HistoryModel.h"

// The History window's status texts, in UTF-8.
// "Line N of M" for a row found, "Not found", nothing while searching or without a search.
std::string FindStatusText(const THistoryFindResult& result, std::uint32_t shown);
// "N of M lines shown".
std::string ShownStatusText(const THistoryCounts& counts);
// "1 new line below", "N new lines below": what arrived since the view stopped following.
std::string ArrivedStatusText(std::uint64_t arrived);

// Follow: while the last row is in view, new rows scroll into view; once the user scrolls away or
// selects an earlier row the view stays, and the rows shown since are counted, until the user goes back
// to the last row. Counts by THistoryCounts::ShownTotal, which rows leaving the top do not change.
class THistoryFollow {
  public:
    bool Following() const { return FFollowing; }
    void Stop(std::uint64_t shownTotal) {
        if (FFollowing)
            FMark = shownTotal;
        FFollowing = false;
    }
    void Resume() { FFollowing = true; }
    // After a new filter or a reset the count starts again from what is shown then.
    void Restart(std::uint64_t shownTotal) { FMark = shownTotal; }
    std::uint64_t Arrived(std::uint64_t shownTotal) const {
        return FFollowing || shownTotal < FMark ? 0 : shownTotal - FMark;
    }

  private:
    bool FFollowing = true;
    std::uint64_t FMark = 0;
};
