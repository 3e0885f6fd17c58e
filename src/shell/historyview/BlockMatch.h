#pragma once

#include <vector>

#include "shell/historyview/RowBlock.h"

class TTextPattern;

// Which rows of a block are looked at, and the mark a match sets.
struct TMarkRule {
    // The bit set in a row's flags where its origin or text contains the pattern.
    unsigned char Mark = 1;
    // Rows with any of these bits are not looked at.
    unsigned char SkipWhenAny = 0;
    // Unless zero, only rows with one of these bits are looked at.
    unsigned char OnlyWhenAny = 0;
};

// Marks the rows of the block whose origin or text contains the pattern; flags has one entry per row.
// The search runs over the block's bytes for the pattern's anchor and looks at a row only where the
// anchor is, so that a term found in one row of a thousand costs little more than reading the bytes.
void MarkMatchingRows(const TTextPattern& pattern, const TRowBlock& block, const TMarkRule& rule,
                      std::vector<unsigned char>& flags);
