// The text file loader over arbitrary bytes: what a log file, an Import or a
// client's LOADFROMFILE may hand it.
#include <string>

#include "FuzzInput.h"
#include "ReferencePane.h"
#include "pane/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = PaneTextFromFileBytes(bytes);

    Check(text.find('\0') == std::string::npos, "pane text holds no zero byte");
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            Check(i + 1 < text.size() && text[i + 1] == '\n', "every CR is followed by LF", Hex(bytes));
        if (text[i] == '\n')
            Check(i > 0 && text[i - 1] == '\r', "every LF follows a CR", Hex(bytes));
    }
    Check(text == ReferencePaneText(bytes), "the conversion matches the reference",
          "input " + Hex(bytes) + "\n  got " + Hex(text));
    // Text saved from the pane loads back unchanged.
    Check(PaneTextFromFileBytes(text) == text, "pane text loads back as itself", Hex(bytes));
    return 0;
}
