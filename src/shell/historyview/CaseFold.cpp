#include "shell/historyview/CaseFold.h"

namespace {

// In these blocks the capital letter and its small one sit side by side.
char32_t FoldPair(char32_t code, bool capitalIsEven) {
    return (code % 2 == 0) == capitalIsEven ? code + 1 : code;
}

char32_t FoldLatin(char32_t code) {
    if (code >= 0xC0 && code <= 0xDE && code != 0xD7)
        return code + 0x20;
    if (code == 0x178)
        return 0xFF;
    if ((code >= 0x100 && code <= 0x12F) || (code >= 0x132 && code <= 0x137) ||
        (code >= 0x14A && code <= 0x177))
        return FoldPair(code, true);
    if ((code >= 0x139 && code <= 0x148) || (code >= 0x179 && code <= 0x17E))
        return FoldPair(code, false);
    return code;
}

char32_t FoldGreek(char32_t code) {
    if (code == 0x386)
        return 0x3AC;
    if (code >= 0x388 && code <= 0x38A)
        return code + 0x25;
    if (code == 0x38C)
        return 0x3CC;
    if (code == 0x38E || code == 0x38F)
        return code + 0x3F;
    if (code >= 0x391 && code <= 0x3AB && code != 0x3A2)
        return code + 0x20;
    // The final sigma is a sigma.
    if (code == 0x3C2)
        return 0x3C3;
    return code;
}

char32_t FoldCyrillic(char32_t code) {
    if (code >= 0x400 && code <= 0x40F)
        return code + 0x50;
    if (code >= 0x410 && code <= 0x42F)
        return code + 0x20;
    if ((code >= 0x460 && code <= 0x481) || (code >= 0x48A && code <= 0x4BF) ||
        (code >= 0x4D0 && code <= 0x52F))
        return FoldPair(code, true);
    if (code == 0x4C0)
        return 0x4CF;
    if (code >= 0x4C1 && code <= 0x4CE)
        return FoldPair(code, false);
    return code;
}

} // namespace

char32_t FoldCaseBeyondAscii(char32_t code) {
    if (code < 0x180)
        return FoldLatin(code);
    if (code >= 0x370 && code < 0x400)
        return FoldGreek(code);
    if (code >= 0x400 && code < 0x530)
        return FoldCyrillic(code);
    return code;
}
