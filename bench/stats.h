#pragma once

#include <vector>

namespace bench {

// The value below which the given share (0 to 1) of the samples lie, by the nearest-rank method; 0 for none.
double Percentile(std::vector<double> samples, double share);
inline double Median(const std::vector<double>& samples) {
    return Percentile(samples, 0.5);
}

} // namespace bench
