// Plain, obviously correct versions of the correlation kernels, written straight from
// their definitions: the oracle the production kernels must match bit for bit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/sinusoid_tables.h"

namespace reference {

struct Correlation {
    int64_t power = 0;
    int32_t a = 0;
    int32_t b = 0;
    bool operator==(const Correlation&) const = default;
};

inline int32_t saturate32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

inline int32_t fine_of(int32_t note_index, int32_t fine_step)
{
    return analysis_tables.grid.first_fine[note_index] + fine_step;
}

inline int16_t sine_at(int32_t fine, int32_t phase)
{
    return analysis_tables.sine[static_cast<size_t>(analysis_tables.table_offset[static_cast<size_t>(fine)] + phase)];
}

inline int16_t cosine_at(int32_t fine, int32_t phase)
{
    return analysis_tables.cosine[static_cast<size_t>(analysis_tables.table_offset[static_cast<size_t>(fine)] + phase)];
}

inline int32_t length_of(int32_t fine)
{
    return analysis_tables.window_length[static_cast<size_t>(fine)];
}

// The correlation over the first L frame samples with the window starting at phase
// first_phase; each product divided by 16384 on its own.
inline Correlation correlate(const std::vector<int32_t>& frame, int32_t fine, int64_t first_phase)
{
    const int32_t length = length_of(fine);
    int64_t s = 0;
    int64_t c = 0;
    for (int32_t t = 0; t < length; ++t) {
        const int32_t phase = static_cast<int32_t>((first_phase + t) % length);
        s += int64_t{frame[static_cast<size_t>(t)]} * sine_at(fine, phase) / 16384;
        c += int64_t{frame[static_cast<size_t>(t)]} * cosine_at(fine, phase) / 16384;
    }
    Correlation r;
    r.a = saturate32(2 * s / length);
    r.b = saturate32(2 * c / length);
    r.power = int64_t{r.a} * r.a + int64_t{r.b} * r.b;
    return r;
}

// What sliding_correlation must return at position, whatever frames came before.
inline Correlation sliding(const std::vector<int32_t>& frame, int32_t note_index, int32_t fine_step, int32_t position)
{
    return correlate(frame, fine_of(note_index, fine_step), position);
}

inline Correlation residual(const std::vector<int32_t>& frame, int32_t note_index, int32_t fine_step)
{
    return correlate(frame, fine_of(note_index, fine_step), 0);
}

inline void subtract(std::vector<int32_t>& frame, int32_t note_index, int32_t fine_step, int32_t a, int32_t b)
{
    const int32_t fine = fine_of(note_index, fine_step);
    const int32_t length = length_of(fine);
    for (size_t t = 0; t < frame.size(); ++t) {
        const int32_t phase = static_cast<int32_t>(t % static_cast<size_t>(length));
        const int64_t v = int64_t{frame[t]} - int64_t{a} * sine_at(fine, phase) / 16384 -
                          int64_t{b} * cosine_at(fine, phase) / 16384;
        frame[t] = saturate32(v);
    }
}

} // namespace reference
