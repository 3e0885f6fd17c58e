#pragma once

// Letters compared without regard to case: each code point maps to one small letter, one for one. Beyond
// ASCII this covers Latin-1, Latin Extended-A, Greek and Cyrillic, the scripts of most text a Windows
// program writes. The mappings that would change a letter's UTF-8 length or cross into ASCII (the Kelvin
// sign, the long s, the Turkish dotted and dotless i) are left out: a letter and its other case then always
// take the same bytes, and an ASCII letter only ever matches ASCII, which lets the search look for ASCII
// bytes directly.
char32_t FoldCaseBeyondAscii(char32_t code);

inline char32_t FoldCase(char32_t code) {
    if (code < 0x80)
        return code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code;
    return FoldCaseBeyondAscii(code);
}
