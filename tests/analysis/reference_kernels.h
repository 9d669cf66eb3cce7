// Plain, obviously correct versions of the correlation kernels, written straight from
// their definitions: the oracle the production kernels must match bit for bit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/correlation_kernels.h"
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

// The kernels of correlation_kernels.h written straight from their definitions, in 64 bits
// with the table index taken modulo the window length: run in place of the fast sets, they
// must give the same analysis.
inline int64_t product(int64_t value, int16_t table)
{
    return value * table / 16384;
}

inline CorrelationSums plain_correlate(const int32_t* frame, const TableWindow& w, const TableWindow&)
{
    CorrelationSums sums;
    for (int32_t t = 0; t < w.length; ++t) {
        sums.sine += product(frame[t], w.sine[t]);
        sums.cosine += product(frame[t], w.cosine[t]);
    }
    return sums;
}

inline int64_t plain_subtract(int32_t* frame, int32_t count, const TableWindow& w, int32_t a, int32_t b, int32_t*)
{
    int64_t peak = 0;
    for (int32_t t = 0; t < count; ++t) {
        frame[t] = saturate32(frame[t] - product(a, w.sine[t % w.length]) - product(b, w.cosine[t % w.length]));
        peak = std::max<int64_t>(peak, frame[t] < 0 ? -int64_t{frame[t]} : frame[t]);
    }
    return peak;
}

inline void plain_slide(const int16_t* wave, const TableWindow& w, int32_t phase, int32_t steps, int32_t* sine_steps,
                        int32_t* cosine_steps, int32_t*)
{
    for (int32_t s = 0; s < steps; ++s) {
        int64_t sine_step = 0;
        int64_t cosine_step = 0;
        for (int32_t n = 16 * s; n < 16 * s + 16; ++n) {
            const int32_t p = (phase + n) % w.length;
            sine_step += product(wave[n + w.length], w.sine[p]) - product(wave[n], w.sine[p]);
            cosine_step += product(wave[n + w.length], w.cosine[p]) - product(wave[n], w.cosine[p]);
        }
        sine_steps[s] = static_cast<int32_t>(sine_step);
        cosine_steps[s] = static_cast<int32_t>(cosine_step);
    }
}

inline void plain_pick(const int32_t* sine_steps, const int32_t* cosine_steps, int32_t steps, int32_t length,
                       double& sine_sum, double& cosine_sum, int32_t step, double* best_power, int32_t* best_step)
{
    int64_t s_sum = static_cast<int64_t>(sine_sum);
    int64_t c_sum = static_cast<int64_t>(cosine_sum);
    for (int32_t s = 0; s < steps; ++s) {
        s_sum += sine_steps[s];
        c_sum += cosine_steps[s];
        const int64_t a = 2 * s_sum / length;
        const int64_t b = 2 * c_sum / length;
        const int64_t power = a * a + b * b;
        if (power > static_cast<int64_t>(best_power[s])) {
            best_power[s] = static_cast<double>(power);
            best_step[s] = step;
        }
    }
    sine_sum = static_cast<double>(s_sum);
    cosine_sum = static_cast<double>(c_sum);
}

inline const CorrelationKernels plain_kernels = {"plain", plain_correlate, plain_subtract, plain_slide, plain_pick};

} // namespace reference
