#include "shell/historyview/BlockMatch.h"

#include <cstddef>
#include <string_view>

#include "shell/historyview/HistoryLine.h"
#include "shell/historyview/TextPattern.h"

namespace {

bool IsLookedAt(unsigned char flags, const TMarkRule& rule) {
    return (flags & rule.SkipWhenAny) == 0 && (rule.OnlyWhenAny == 0 || (flags & rule.OnlyWhenAny) != 0);
}

THistoryFields FieldsOf(const TRowBlock& block, std::size_t row) {
    const TRowBlock::TRow& place = block.Rows[row];
    return SplitHistoryLine(
        WithoutLineBreak(std::string_view(block.Bytes.data() + place.Begin, place.End - place.Begin)));
}

bool Within(const char* from, const char* to, std::string_view field) {
    return from >= field.data() && to <= field.data() + field.size();
}

bool RowMatches(const TTextPattern& pattern, const TRowBlock& block, std::size_t row) {
    const THistoryFields fields = FieldsOf(block, row);
    return pattern.Matches(fields.Origin) || pattern.Matches(fields.Text);
}

void MarkEachRow(const TTextPattern& pattern, const TRowBlock& block, const TMarkRule& rule,
                 std::vector<unsigned char>& flags) {
    for (std::size_t row = 0; row < block.Rows.size(); ++row)
        if (IsLookedAt(flags[row], rule) && (pattern.MatchesEverything() || RowMatches(pattern, block, row)))
            flags[row] |= rule.Mark;
}

} // namespace

void MarkMatchingRows(const TTextPattern& pattern, const TRowBlock& block, const TMarkRule& rule,
                      std::vector<unsigned char>& flags) {
    if (block.Rows.empty())
        return;
    if (!pattern.HasAnchor()) {
        MarkEachRow(pattern, block, rule, flags);
        return;
    }
    // Offsets rather than pointers: a skip may look past the block's end.
    const char* const bytes = block.Bytes.data();
    const std::size_t keyOffset = pattern.AnchorKeyOffset();
    const bool anchorIsTerm = pattern.AnchorIsWholeTerm();
    const std::size_t end = block.Rows.back().End;
    std::size_t at = block.Rows.front().Begin + keyOffset;
    std::size_t row = 0;
    // The fields of the row last split, so that several places of the anchor in one row split it once.
    std::size_t splitRow = block.Rows.size();
    THistoryFields fields;
    while (at < end) {
        const std::size_t key = FindKeyByte(bytes + at, bytes + end, pattern.AnchorKey()) - bytes;
        if (key == end)
            break;
        const std::size_t anchor = key - keyOffset;
        while (row < block.Rows.size() && block.Rows[row].End <= anchor)
            ++row;
        if (row == block.Rows.size())
            break;
        const std::size_t rowBegin = block.Rows[row].Begin;
        const std::size_t rowEnd = block.Rows[row].End;
        // Between rows (a block may skip some), or in a row already decided: go on at the next row.
        if (anchor < rowBegin) {
            at = rowBegin + keyOffset;
            continue;
        }
        if (!IsLookedAt(flags[row], rule)) {
            at = rowEnd + keyOffset;
            continue;
        }
        if (!pattern.AnchorAt(bytes + anchor, bytes + rowEnd)) {
            at = key + 1;
            continue;
        }
        if (!anchorIsTerm) {
            // The whole term, wildcards and all, is tried on the row once.
            if (RowMatches(pattern, block, row))
                flags[row] |= rule.Mark;
            at = rowEnd + keyOffset;
            continue;
        }
        // A plain term counts only inside the origin or the text, not across the tab between them nor
        // in the time; another place further on in the row may still do.
        if (splitRow != row) {
            fields = FieldsOf(block, row);
            splitRow = row;
        }
        const char* const from = bytes + anchor;
        const char* const to = from + pattern.AnchorLength();
        if (Within(from, to, fields.Origin) || Within(from, to, fields.Text)) {
            flags[row] |= rule.Mark;
            at = rowEnd + keyOffset;
        } else {
            at = key + 1;
        }
    }
}
