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

// What the two figures of a row are: by default Dravik and the null viewer.
struct Columns {
    std::string measured = "Dravik";
    std::string baseline = "null viewer";
    std::string ratio = "Dravik / null";
};

double Ratio(const Row& row);
bool TargetMet(const Row& row);
std::string MarkdownTable(const std::vector<Row>& rows, const Columns& columns = Columns());
// One line per figure, tab-separated: figure, Dravik, null viewer, ratio; for comparing runs.
std::string FigureLines(const std::vector<Row>& rows);

} // namespace bench
