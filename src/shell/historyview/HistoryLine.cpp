#include "shell/historyview/HistoryLine.h"

#include <cstring>

#include "common/Utf8.h"

namespace {

// '0' stands for any digit.
const char TimeShape[] = "0000-00-00 00:00:00.000";
const std::size_t TimeLength = sizeof TimeShape - 1;

bool HasTimeStamp(std::string_view line) {
    if (line.size() <= TimeLength || line[TimeLength] != '\t')
        return false;
    for (std::size_t i = 0; i < TimeLength; ++i) {
        const char c = line[i];
        if (TimeShape[i] == '0' ? c < '0' || c > '9' : c != TimeShape[i])
            return false;
    }
    return true;
}

} // namespace

std::string_view WithoutLineBreak(std::string_view row) {
    if (!row.empty() && row.back() == '\n')
        row.remove_suffix(1);
    if (!row.empty() && row.back() == '\r')
        row.remove_suffix(1);
    return row;
}

THistoryFields SplitHistoryLine(std::string_view line) {
    THistoryFields fields;
    if (HasTimeStamp(line)) {
        const std::size_t originStart = TimeLength + 1;
        const void* tab = std::memchr(line.data() + originStart, '\t', line.size() - originStart);
        if (tab != nullptr) {
            const std::size_t textStart = static_cast<const char*>(tab) - line.data() + 1;
            fields.Time = line.substr(0, TimeLength);
            fields.Origin = line.substr(originStart, textStart - 1 - originStart);
            fields.Text = line.substr(textStart);
            return fields;
        }
    }
    fields.Text = line;
    return fields;
}

void DecodeHistoryRow(std::string_view line, THistoryRow& row) {
    const THistoryFields fields = SplitHistoryLine(WithoutLineBreak(line));
    row.Time.clear();
    row.Origin.clear();
    row.Text.clear();
    AppendUtf16FromUtf8(fields.Time, row.Time);
    AppendUtf16FromUtf8(fields.Origin, row.Origin);
    AppendUtf16FromUtf8(fields.Text, row.Text);
}
