#include "shell/historyview/HistoryFilter.h"

#include "shell/historyview/BlockMatch.h"

namespace {

const unsigned char Included = 1;
const unsigned char Excluded = 2;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

THistoryFilter::THistoryFilter(std::string_view utf8Terms) {
    std::string includes, excludes;
    while (!utf8Terms.empty()) {
        const std::size_t separator = utf8Terms.find(';');
        std::string_view term = Trimmed(utf8Terms.substr(0, separator));
        utf8Terms =
            separator == std::string_view::npos ? std::string_view() : utf8Terms.substr(separator + 1);
        const bool exclusion = !term.empty() && term.front() == '-';
        if (exclusion)
            term = Trimmed(term.substr(1));
        if (term.empty())
            continue;
        (exclusion ? FExcludes : FIncludes).emplace_back(term, true);
        (exclusion ? excludes : includes).append(exclusion ? ";-" : ";").append(term);
    }
    FTerms = includes + excludes;
}

void THistoryFilter::Apply(const TRowBlock& block, std::vector<unsigned char>& shown) const {
    shown.assign(block.Rows.size(), 0);
    for (const TTextPattern& term : FIncludes)
        MarkMatchingRows(term, block, TMarkRule{Included, Included, 0}, shown);
    // Only rows that are in so far can be taken out.
    const TMarkRule excluding{Excluded, Excluded,
                              static_cast<unsigned char>(FIncludes.empty() ? 0 : Included)};
    for (const TTextPattern& term : FExcludes)
        MarkMatchingRows(term, block, excluding, shown);
    for (unsigned char& flags : shown)
        flags = (FIncludes.empty() || (flags & Included) != 0) && (flags & Excluded) == 0 ? 1 : 0;
}
