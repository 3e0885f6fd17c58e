#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/historyview/RowBlock.h"
#include "shell/historyview/TextPattern.h"

// The Filter box's terms, compiled. Terms are separated by ";"; blanks around a term are not part of it,
// and a term left empty is none. A term with a leading "-" excludes; "-" alone excludes nothing. A row
// is shown when its origin or its text contains any term without "-" (or there is none) and contains none
// with it. "*" stands for any characters and "?" for one; there is no way to look for a literal "*" ("?"
// finds it). A term is found within the origin or within the text, never across the tab between them,
// nor in the time. To include text that starts with "-", write "*-...".
class THistoryFilter {
  public:
    explicit THistoryFilter(std::string_view utf8Terms);

    // No term: every row is shown.
    bool ShowsEverything() const { return FIncludes.empty() && FExcludes.empty(); }
    // The terms as understood, for telling whether an edit of the box changed the filter.
    const std::string& Terms() const { return FTerms; }

    // Sets shown[i] to 1 for each row of the block the filter lets through, and to 0 for the others.
    void Apply(const TRowBlock& block, std::vector<unsigned char>& shown) const;

  private:
    std::vector<TTextPattern> FIncludes;
    std::vector<TTextPattern> FExcludes;
    std::string FTerms;
};
