#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "shell/historyview/ByteSearch.h"

// One term of Find or of the Filter, compiled once: letters folded to one case, "*" and "?" (where they
// are wildcards) turned into the pieces between them, and an anchor chosen, the longest run of plain
// characters, for the search over a block to look for before it looks at any row.
class TTextPattern {
  public:
    TTextPattern(std::string_view utf8, bool wildcards);

    // True when the field contains the term: "*" stands for any characters, "?" for one.
    bool Matches(std::string_view field) const;

    // True for a term of "*" only: every field contains it, even an empty one.
    bool MatchesEverything() const { return FPieces.empty(); }
    // False for a term of wildcards and U+FFFD only: there is nothing to look for, every row is tried.
    bool HasAnchor() const { return FAnchorLength > 0; }
    // True when the anchor is the whole term: where it is found, the term is found.
    bool AnchorIsWholeTerm() const { return FPieces.size() == 1 && FAnchorCount == FPieces[0].size(); }
    // The byte of the anchor that is rarest in ordinary text, where the search looks first: its values
    // in both cases, and where it sits in the anchor. The anchor takes the same number of bytes in every
    // case of its letters.
    const TByteKey& AnchorKey() const { return FKey; }
    std::size_t AnchorKeyOffset() const { return FKeyOffset; }
    std::size_t AnchorLength() const { return FAnchorLength; }
    // True when the anchor stands at p, with end the limit.
    bool AnchorAt(const char* p, const char* end) const;

  private:
    bool PieceAt(const std::vector<char32_t>& piece, std::size_t from, std::size_t count, const char*& p,
                 const char* end) const;
    void ChooseAnchor();
    void ChooseKey();

    // Folded code points, and AnyCharacter for "?".
    std::vector<std::vector<char32_t>> FPieces;
    std::size_t FAnchorPiece = 0;
    std::size_t FAnchorFrom = 0;
    std::size_t FAnchorCount = 0;
    std::size_t FAnchorLength = 0;
    std::size_t FKeyOffset = 0;
    TByteKey FKey;
};
