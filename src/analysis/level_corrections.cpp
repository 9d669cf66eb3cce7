#include "analysis/level_corrections.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/settings.h"

namespace {

constexpr int32_t PATTERN_ROWS = 8;
constexpr int32_t PARTIALS_PER_ROW = 4;

// Row r: note i taken as partial r + 1 of a fundamental d semitones below, and the offsets
// above note i of four further partials of that fundamental.
struct FundamentalPattern {
    int32_t distance;
    int32_t offsets[PARTIALS_PER_ROW];
};

constexpr FundamentalPattern FUNDAMENTAL_PATTERNS[PATTERN_ROWS] = {
    {0, {12, 19, 24, 28}}, {12, {7, 12, 16, 19}}, {19, {5, 9, 12, 15}}, {24, {4, 7, 10, 12}},
    {28, {3, 6, 8, 10}},   {31, {3, 5, 7, 9}},    {34, {2, 4, 6, 8}},   {36, {2, 4, 5, 7}},
};

// Semitones above the fundamental of partials 2 to 10.
constexpr int32_t HARMONIC_INTERVALS[] = {12, 19, 24, 28, 31, 34, 36, 38, 40};

constexpr int32_t LOWEST_CORRECTED_INDEX = 12;
constexpr double COMPRESSION_EXPONENT = 0.187;
constexpr double INVERSE_AMPLITUDE = 1.0 / 16384;
// Largest double below 2^63: corrected levels are clamped to it before truncation.
constexpr double LEVEL_LIMIT = 9223372036854774784.0;

int64_t saturating_add(int64_t x, int64_t y)
{
    int64_t sum = 0;
    if (__builtin_add_overflow(x, y, &sum))
        return y > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return sum;
}

int64_t pattern_score(const FundamentalPattern& row, int32_t i, int32_t note_count, const int64_t* power)
{
    int64_t score = 0;
    for (int32_t offset : row.offsets) {
        if (i + offset < note_count)
            score = saturating_add(score, power[i + offset]);
    }
    return score;
}

} // namespace

void correct_fundamentals(int32_t note_count, int64_t* level, const int64_t* power)
{
    if (note_count <= LOWEST_CORRECTED_INDEX)
        return;
    const int32_t rows = std::clamp(conversion_settings.MAX_OVERTONE, 0, PATTERN_ROWS);
    for (int32_t i = LOWEST_CORRECTED_INDEX; i < note_count; ++i) {
        if (conversion_settings.KEY_MIN + i > FUNDAMENTAL_KEY_LIMIT)
            break;
        int32_t best_row = 0;
        int64_t best_score = 0;
        for (int32_t r = 0; r < rows; ++r) {
            const int64_t score = pattern_score(FUNDAMENTAL_PATTERNS[r], i, note_count, power);
            if (score > best_score) {
                best_score = score;
                best_row = r;
            }
        }
        const int32_t d = FUNDAMENTAL_PATTERNS[best_row].distance;
        if (d > 0 && i - d >= 0)
            level[i - d] = saturating_add(level[i - d], level[i]);
    }
}

void correct_overtones(int32_t note_count, int64_t* level)
{
    const double strength = conversion_settings.OVERTONE_LEVEL;
    for (int32_t i = note_count - 13; i >= 0; --i) {
        const double base = static_cast<double>(level[i]);
        for (int32_t k = 0; k < 9; ++k) {
            const int32_t u = i + HARMONIC_INTERVALS[k];
            if (u >= note_count)
                break;
            const double own = static_cast<double>(level[u]);
            const double reduced = own - std::sqrt(own * base) * strength / 50 / (k + 2);
            level[u] = reduced > 0 ? static_cast<int64_t>(std::min(reduced, LEVEL_LIMIT)) : 0;
        }
    }
}

int32_t compress_level(int64_t level)
{
    if (level <= 0)
        return 0;
    const double scaled = static_cast<double>(level) * INVERSE_AMPLITUDE * INVERSE_AMPLITUDE;
    return static_cast<int32_t>(16384 * std::pow(scaled, COMPRESSION_EXPONENT));
}
