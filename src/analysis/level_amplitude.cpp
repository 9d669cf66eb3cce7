#include "analysis/level_amplitude.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Levels the analysis can write: its largest power (2^31) compresses to about 24,200.
constexpr int32_t LEVEL_LIMIT = 32768;
// Levels are amplitude^0.374 (the analysis compresses power by 0.187).
constexpr double AMPLITUDE_EXPONENT = 1.0 / 0.374;

const std::vector<int64_t>& amplitude_table()
{
    static const std::vector<int64_t> table = [] {
        std::vector<int64_t> t(LEVEL_LIMIT);
        for (int32_t level = 0; level < LEVEL_LIMIT; ++level)
            t[static_cast<size_t>(level)] = std::llround(std::ldexp(std::pow(level / 16384.0, AMPLITUDE_EXPONENT), 24));
        return t;
    }();
    return table;
}

} // namespace

int64_t level_amplitude(int32_t level)
{
    return amplitude_table()[static_cast<size_t>(std::clamp(level, 0, LEVEL_LIMIT - 1))];
}

int32_t amplitude_level(int64_t amplitude)
{
    const std::vector<int64_t>& t = amplitude_table();
    const auto above = std::upper_bound(t.begin(), t.end(), amplitude);
    return static_cast<int32_t>(above - t.begin()) - 1;
}
