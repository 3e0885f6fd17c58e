#pragma once

// A few byte values looked for at once. A byte b is one of them when (b | Or[i]) == Value[i] for some i:
// one entry with Or 0x20 stands for both cases of an ASCII letter, and for the last bytes of a Latin,
// Greek or Cyrillic letter in its two cases, which also differ in that bit only.
struct TByteKey {
    unsigned Count = 0;
    unsigned char Or[4] = {};
    unsigned char Value[4] = {};

    // False when the key is full.
    bool Add(unsigned char byte);
    bool Matches(unsigned char byte) const {
        for (unsigned i = 0; i < Count; ++i)
            if ((byte | Or[i]) == Value[i])
                return true;
        return false;
    }
};

// The first byte in [p, end) that the key matches, or end. Looks at a machine word at a time with plain
// integer arithmetic: the C library's memchr is not fast everywhere the viewer runs, and this needs no
// processor-specific code.
const char* FindKeyByte(const char* p, const char* end, const TByteKey& key);
