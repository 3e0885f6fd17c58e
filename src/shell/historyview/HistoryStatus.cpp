#include "shell/historyview/HistoryStatus.h"

std::string FindStatusText(const THistoryFindResult& result, std::uint32_t shown) {
    switch (result.State) {
    case TFindState::Found:
        return "Line " + std::to_string(result.Row + std::uint64_t(1)) + " of " + std::to_string(shown);
    case TFindState::NotFound:
        return "Not found";
    case TFindState::Idle:
    case TFindState::Searching:
        break;
    }
    return std::string();
}

std::string ShownStatusText(const THistoryCounts& counts) {
    return std::to_string(counts.Shown) + " of " + std::to_string(counts.Rows) + " lines shown";
}

std::string ArrivedStatusText(std::uint64_t arrived) {
    return arrived == 1 ? "1 new line below" : std::to_string(arrived) + " new lines below";
}
