#include "pane/CapacityRule.h"

const char* const LimitationPrefix = "***** System Limitations: Lines hat to be removed: ";

std::size_t CharactersToTrim(std::size_t paneLength, std::size_t messageLength) {
    if (paneLength + messageLength < PaneBudget)
        return 0;
    // The message length is subtracted, not added: a long message leaves the
    // pane above the budget rather than emptying it. When the count comes out
    // at zero or below, nothing is removed at all: wiping the whole pane to
    // make room for one message would throw away the user's output.
    const long long n = static_cast<long long>(paneLength) - static_cast<long long>(messageLength) -
                        static_cast<long long>(TrimBase);
    return n >= 1 ? static_cast<std::size_t>(n) : 0;
}

std::string LimitationLine(std::size_t removed) {
    return LimitationPrefix + std::to_string(removed);
}
