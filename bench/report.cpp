#include "report.h"

#include <cstdio>

namespace bench {

namespace {

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string TargetText(const Row& row) {
    if (row.absolute)
        return "Dravik <= " + Number(row.target, row.decimals);
    if (row.target == 0)
        return "-";
    return std::string(row.higherIsBetter ? ">= " : "<= ") + Number(row.target, 2);
}

std::string ResultText(const Row& row) {
    if (row.target == 0 && !row.absolute)
        return "-";
    return TargetMet(row) ? "met" : "**not met**";
}

} // namespace

double Ratio(const Row& row) {
    return row.null > 0 ? row.dravik / row.null : 0;
}

bool TargetMet(const Row& row) {
    if (row.absolute)
        return row.dravik <= row.target;
    const double ratio = Ratio(row);
    if (row.null <= 0 || row.dravik <= 0)
        return false;
    return row.higherIsBetter ? ratio >= row.target : ratio <= row.target;
}

std::string MarkdownTable(const std::vector<Row>& rows, const Columns& columns) {
    std::string table = "| Figure | " + columns.measured + " | " + columns.baseline + " | " + columns.ratio +
                        " | Better | Target (" + columns.ratio +
                        ") | Result |\n|---|---:|---:|---:|---|---|---|\n";
    for (const Row& row : rows) {
        table += "| " + row.figure + " (" + row.unit + ") | " + Number(row.dravik, row.decimals) + " | " +
                 Number(row.null, row.decimals) + " | " + (row.absolute ? "-" : Number(Ratio(row), 2)) +
                 " | " + (row.higherIsBetter ? "higher" : "lower") + " | " + TargetText(row) + " | " +
                 ResultText(row) + " |\n";
    }
    return table;
}

std::string FigureLines(const std::vector<Row>& rows) {
    std::string lines;
    for (const Row& row : rows) {
        lines += row.figure + " (" + row.unit + ")\t" + Number(row.dravik, row.decimals) + "\t" +
                 Number(row.null, row.decimals) + "\t" + Number(Ratio(row), 2) + "\n";
    }
    return lines;
}

} // namespace bench
