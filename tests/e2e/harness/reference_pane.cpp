#include "reference_pane.h"

namespace e2e {

namespace {
const std::string kLimitationPrefix = "***** System Limitations: Lines hat to be removed: ";
} // namespace

void ReferencePane::Print(const std::string& text) {
    const long long length = static_cast<long long>(text_.size());
    const long long message = static_cast<long long>(text.size());
    if (length + message >= 29949) {
        const long long cut = length - message - 25051;
        if (cut >= 1) {
            text_.erase(0, static_cast<std::size_t>(cut));
            text_.insert(0, kLimitationPrefix + std::to_string(cut) + "\r\n");
        }
    }
    const bool endsWithBreak = text_.size() >= 2 && text_.compare(text_.size() - 2, 2, "\r\n") == 0;
    const bool lastLineOpen = !text_.empty() && !endsWithBreak;
    text_ += lastLineOpen ? "\r\n" + text : text + "\r\n";
}

void ReferencePane::SaveAndLoad() {
    std::string loaded;
    for (std::size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '\r' || c == '\n') {
            loaded += "\r\n";
            if (c == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n')
                ++i;
        } else {
            loaded += c;
        }
    }
    text_ = loaded;
}

} // namespace e2e
