#pragma once

#include <string>
#include <vector>

namespace bench {

// One figure of the table, measured for both viewers. Target is a bound on Dravik / null viewer
// (a minimum when higher is better, a maximum otherwise); 0 means the issue sets none.
struct Row {
    std::string figure;
    std::string unit;
    double dravik = 0;
    double null = 0;
    bool higherIsBetter = true;
    double target = 0;
    int decimals = 0;
    // The target bounds Dravik's own figure (at most target), not the ratio.
    bool absolute = false;
};

double Ratio(const Row& row);
bool TargetMet(const Row& row);
// The second figure of each row is the reference's, named in the header.
std::string MarkdownTable(const std::vector<Row>& rows, const std::string& reference = "null viewer");
// One line per figure, tab-separated: figure, Dravik, null viewer, ratio; for comparing runs.
std::string FigureLines(const std::vector<Row>& rows);

} // namespace bench
