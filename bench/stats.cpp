#include "stats.h"

#include <algorithm>
#include <cmath>

namespace bench {

double Percentile(std::vector<double> samples, double share) {
    if (samples.empty())
        return 0;
    // Nearest rank: the smallest sample with at least that share of all samples at or below it.
    const double rank = std::ceil(share * static_cast<double>(samples.size()));
    const std::size_t index = rank < 1 ? 0 : std::min(samples.size(), static_cast<std::size_t>(rank)) - 1;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(index), samples.end());
    return samples[index];
}

} // namespace bench
