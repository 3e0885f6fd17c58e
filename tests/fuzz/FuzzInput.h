#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Set by the corpus runner, so that a failed check names the file it came from.
inline const char* CurrentInputName = nullptr;

// A failed check is a finding: say what differed and stop the run, which
// libFuzzer records as a crash together with the input.
inline void Check(bool condition, const char* what, const std::string& detail = std::string()) {
    if (condition)
        return;
    std::fprintf(stderr, "CHECK FAILED: %s\n", what);
    if (!detail.empty())
        std::fprintf(stderr, "  %s\n", detail.c_str());
    if (CurrentInputName)
        std::fprintf(stderr, "  input: %s\n", CurrentInputName);
    std::abort();
}

// Reads numbers and texts off the front of a fuzzer's input. An exhausted
// input reads as zeros, so every input decodes to something.
class TFuzzInput {
  public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}

    bool Empty() const { return FPos >= FSize; }
    std::size_t Remaining() const { return FSize - FPos; }

    std::uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    std::uint16_t Word() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | Byte() << 8);
    }

    // Up to count bytes, fewer when the input runs out.
    std::string Bytes(std::size_t count) {
        const std::size_t taken = count < Remaining() ? count : Remaining();
        std::string bytes(reinterpret_cast<const char*>(FData + FPos), taken);
        FPos += taken;
        return bytes;
    }
    std::string Rest() { return Bytes(Remaining()); }

    // A text of 0 to maxLength characters: a length, then a pattern of one to
    // eight bytes repeated to that length. Short inputs can thus describe
    // long texts, which is what reaches the pane's capacity.
    std::string Text(std::size_t maxLength) {
        const std::size_t length = Word() % (maxLength + 1);
        const std::string pattern = Bytes(Byte() % 8 + 1);
        std::string text(length, pattern.empty() ? 'x' : pattern[0]);
        for (std::size_t i = 0; i < length && !pattern.empty(); ++i)
            text[i] = pattern[i % pattern.size()];
        return text;
    }

  private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
};

inline std::string Hex(const std::string& bytes, std::size_t limit = 64) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    if (bytes.size() > limit)
        hex += "... (" + std::to_string(bytes.size()) + " bytes)";
    return hex;
}
