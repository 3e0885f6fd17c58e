#include "shell/historyview/TextPattern.h"

#include <cstring>

#include "common/Utf8.h"
#include "shell/historyview/CaseFold.h"

namespace {

const char32_t AnyCharacter = 0xFFFFFFFF;

// The highest code point that has another case under FoldCase.
const char32_t LastFoldedCode = 0x52F;

inline char32_t NextCode(const char*& p, const char* end) {
    const unsigned char byte = static_cast<unsigned char>(*p);
    if (byte < 0x80) {
        ++p;
        return byte;
    }
    std::size_t length;
    const char32_t code = DecodeUtf8(p, end, length);
    p += length;
    return code;
}

std::size_t Utf8Length(char32_t code) {
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

// U+FFFD stands for ill-formed bytes of any length as well as for itself: it cannot be in an anchor, whose
// length in bytes must be fixed.
bool CanAnchor(char32_t atom) {
    return atom != AnyCharacter && atom != ReplacementCharacter;
}

// How often a character appears in a log, roughly: the time stamp's digits and signs in every row, then
// letters by their frequency in English text. Anything else counts as rare; letters beyond ASCII fall in
// between, for want of knowing the language.
int Commonness(char32_t folded) {
    if (folded >= 0x80)
        return 20;
    static const char byFrequency[] = " 0123456789:-.\tetaoinsrhldcumfpgwybv,_/kxjqz";
    const char* at = std::strchr(byFrequency, static_cast<int>(folded));
    if (folded == 0 || at == nullptr)
        return 0;
    return static_cast<int>(sizeof byFrequency - (at - byFrequency));
}

} // namespace

TTextPattern::TTextPattern(std::string_view utf8, bool wildcards) {
    std::vector<char32_t> piece;
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    while (p < end) {
        const char32_t code = NextCode(p, end);
        if (wildcards && code == '*') {
            if (!piece.empty())
                FPieces.push_back(std::move(piece));
            piece.clear();
        } else {
            piece.push_back(wildcards && code == '?' ? AnyCharacter : FoldCase(code));
        }
    }
    if (!piece.empty())
        FPieces.push_back(std::move(piece));
    ChooseAnchor();
}

void TTextPattern::ChooseAnchor() {
    for (std::size_t i = 0; i < FPieces.size(); ++i) {
        const std::vector<char32_t>& piece = FPieces[i];
        for (std::size_t from = 0; from < piece.size();) {
            std::size_t to = from, length = 0;
            while (to < piece.size() && CanAnchor(piece[to]))
                length += Utf8Length(piece[to++]);
            if (length > FAnchorLength) {
                FAnchorPiece = i;
                FAnchorFrom = from;
                FAnchorCount = to - from;
                FAnchorLength = length;
            }
            from = to + 1;
        }
    }
    if (FAnchorLength > 0)
        ChooseKey();
}

// The key is an ASCII character's byte, or the last byte of a longer one, which tells its letters apart
// better than the first.
void TTextPattern::ChooseKey() {
    const std::vector<char32_t>& piece = FPieces[FAnchorPiece];
    std::size_t offset = 0, keyAtom = FAnchorFrom;
    int rarest = 1 << 30;
    for (std::size_t i = FAnchorFrom; i < FAnchorFrom + FAnchorCount; ++i) {
        const std::size_t length = Utf8Length(piece[i]);
        if (Commonness(piece[i]) < rarest) {
            rarest = Commonness(piece[i]);
            keyAtom = i;
            FKeyOffset = offset + length - 1;
        }
        offset += length;
    }
    const char32_t folded = piece[keyAtom];
    char bytes[4];
    if (folded > LastFoldedCode) {
        FKey.Add(static_cast<unsigned char>(bytes[EncodeUtf8(folded, bytes) - 1]));
        return;
    }
    // Every code point that folds to the same letter; a Greek sigma has three.
    for (char32_t code = 0; code <= LastFoldedCode; ++code)
        if (FoldCase(code) == folded)
            FKey.Add(static_cast<unsigned char>(bytes[EncodeUtf8(code, bytes) - 1]));
}

bool TTextPattern::PieceAt(const std::vector<char32_t>& piece, std::size_t from, std::size_t count,
                           const char*& p, const char* end) const {
    const char* at = p;
    for (std::size_t i = from; i < from + count; ++i) {
        if (at >= end)
            return false;
        const char32_t code = NextCode(at, end);
        if (piece[i] != AnyCharacter && FoldCase(code) != piece[i])
            return false;
    }
    p = at;
    return true;
}

bool TTextPattern::AnchorAt(const char* p, const char* end) const {
    return PieceAt(FPieces[FAnchorPiece], FAnchorFrom, FAnchorCount, p, end);
}

// Each piece is taken at the first place it fits after the one before: with "*" between pieces and on
// both ends of the term, a match anywhere implies one made that way.
bool TTextPattern::Matches(std::string_view field) const {
    const char* p = field.data();
    const char* const end = p + field.size();
    for (const std::vector<char32_t>& piece : FPieces) {
        for (;;) {
            if (p >= end)
                return false;
            if (PieceAt(piece, 0, piece.size(), p, end))
                break;
            NextCode(p, end);
        }
    }
    return true;
}
