#include "shell/historyview/ByteSearch.h"

#include <cstddef>
#include <cstring>

namespace {

using TWord = std::size_t;
const TWord Ones = ~TWord(0) / 0xFF;
const TWord Highs = Ones * 0x80;

// Non-zero when some byte of v is zero; exact about whether there is one, which is all the caller needs.
inline TWord ZeroBytes(TWord v) {
    return (v - Ones) & ~v & Highs;
}

template <unsigned N> const char* Find(const char* p, const char* end, const TByteKey& key) {
    TWord ors[N], values[N];
    for (unsigned i = 0; i < N; ++i) {
        ors[i] = Ones * key.Or[i];
        values[i] = Ones * key.Value[i];
    }
    while (static_cast<std::size_t>(end - p) >= 2 * sizeof(TWord)) {
        TWord first, second;
        std::memcpy(&first, p, sizeof first);
        std::memcpy(&second, p + sizeof first, sizeof second);
        TWord found = 0;
        for (unsigned i = 0; i < N; ++i)
            found |= ZeroBytes((first | ors[i]) ^ values[i]) | ZeroBytes((second | ors[i]) ^ values[i]);
        if (found != 0)
            break;
        p += 2 * sizeof(TWord);
    }
    for (; p < end; ++p)
        if (key.Matches(static_cast<unsigned char>(*p)))
            return p;
    return end;
}

} // namespace

bool TByteKey::Add(unsigned char byte) {
    if (Matches(byte))
        return true;
    for (unsigned i = 0; i < Count; ++i) {
        if (Or[i] == 0 && (Value[i] ^ byte) == 0x20) {
            Or[i] = 0x20;
            Value[i] = static_cast<unsigned char>(byte | 0x20);
            return true;
        }
    }
    if (Count == 4)
        return false;
    Or[Count] = 0;
    Value[Count] = byte;
    ++Count;
    return true;
}

const char* FindKeyByte(const char* p, const char* end, const TByteKey& key) {
    switch (key.Count) {
    case 0:
        return end;
    case 1:
        return Find<1>(p, end, key);
    case 2:
        return Find<2>(p, end, key);
    case 3:
        return Find<3>(p, end, key);
    default:
        return Find<4>(p, end, key);
    }
}
