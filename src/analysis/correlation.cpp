#include "analysis/correlation.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "analysis/correlation_kernels.h"
#include "core/saturate.h"
#include "core/settings.h"

namespace {

int64_t scaled(int64_t value, int16_t table)
{
    return value * table / TABLE_AMPLITUDE;
}

CorrelationSums wide_correlate(const int32_t* frame, const TableWindow& w)
{
    CorrelationSums sums;
    for (int32_t s = 0; s < w.length; ++s) {
        sums.sine += scaled(frame[s], w.sine[s]);
        sums.cosine += scaled(frame[s], w.cosine[s]);
    }
    return sums;
}

int64_t wide_subtract(int32_t* frame, int32_t count, const TableWindow& w, int32_t a, int32_t b)
{
    int64_t peak = 0;
    int32_t ph = 0;
    for (int32_t s = 0; s < count; ++s) {
        frame[s] = saturate_int32(frame[s] - scaled(a, w.sine[ph]) - scaled(b, w.cosine[ph]));
        peak = std::max(peak, std::abs(int64_t{frame[s]}));
        if (++ph == w.length)
            ph = 0;
    }
    return peak;
}

// 2 * sum / length toward zero. Below 2^52 the double quotient truncates to the integer one
// (it cannot round across a whole number), and it is much quicker than a 64-bit division.
int64_t amplitude(int64_t sum, int32_t length)
{
    constexpr int64_t EXACT = int64_t{1} << 51;
    if (sum > -EXACT && sum < EXACT)
        return static_cast<int64_t>(2.0 * static_cast<double>(sum) / length);
    return 2 * sum / length;
}

// trunc(2 * sum / length) for |2 * sum / length| < 2^18 and lengths below 2^20, by a
// multiplication with twice_reciprocal = 2.0 / length. The product and the addition below
// miss the quotient by less than 2^-33. A quotient that is no whole number lies at least
// 1 / length from the next one up, one that is whole may fall just short of it: adding
// 2^-24 before rounding down puts both right.
int32_t narrow_amplitude(int64_t sum, double twice_reciprocal)
{
    const double magnitude = static_cast<double>(sum < 0 ? -sum : sum) * twice_reciprocal + 0x1p-24;
    const auto whole = static_cast<int32_t>(magnitude);
    return sum < 0 ? -whole : whole;
}

} // namespace

int64_t power_from_sums(int64_t sine_sum, int64_t cosine_sum, int32_t length, int32_t& a, int32_t& b)
{
    a = saturate_int32(amplitude(sine_sum, length));
    b = saturate_int32(amplitude(cosine_sum, length));
    return int64_t{a} * a + int64_t{b} * b;
}

int64_t narrow_power_from_sums(int64_t sine_sum, int64_t cosine_sum, double twice_reciprocal, int32_t& a, int32_t& b)
{
    a = narrow_amplitude(sine_sum, twice_reciprocal);
    b = narrow_amplitude(cosine_sum, twice_reciprocal);
    return int64_t{a} * a + int64_t{b} * b;
}

int64_t correlate_window(const CorrelationKernels& kernels, const FrameBuffer& frame, const TableWindow& w,
                         int32_t& a, int32_t& b, const TableWindow& ahead)
{
    if (frame.peak > NARROW_FRAME_LIMIT) {
        const CorrelationSums sums = wide_correlate(frame.samples.data(), w);
        return power_from_sums(sums.sine, sums.cosine, w.length, a, b);
    }
    // Products of at most 2^17: the quotients stay below 2^18. The reciprocal is worked out
    // while the kernel runs, rather than two divisions after it.
    const double twice_reciprocal = 2.0 / w.length;
    const CorrelationSums sums = kernels.correlate(frame.samples.data(), w, ahead);
    return narrow_power_from_sums(sums.sine, sums.cosine, twice_reciprocal, a, b);
}

void subtract_window(const CorrelationKernels& kernels, FrameBuffer& frame, const TableWindow& w, int32_t a,
                     int32_t b, int32_t count)
{
    const int32_t size = static_cast<int32_t>(frame.samples.size());
    count = count < 0 || count > size ? size : count;
    const int64_t reach_a = std::abs(int64_t{a});
    const int64_t reach_b = std::abs(int64_t{b});
    // |a * entry / 16384| <= 2|a| for entries of at most 32768.
    const bool narrow = reach_a <= NARROW_FRAME_LIMIT && reach_b <= NARROW_FRAME_LIMIT &&
                        frame.peak + 2 * (reach_a + reach_b) <= INT32_MAX;
    assert(frame.fitted.size() >= static_cast<size_t>(w.length));
    frame.peak = narrow
        ? kernels.subtract(frame.samples.data(), count, w, a, b, frame.fitted.data())
        : wide_subtract(frame.samples.data(), count, w, a, b);
}

int64_t residual_correlation(const FrameBuffer& frame, int32_t note_index, int32_t fine_step, int32_t& a, int32_t& b)
{
    return correlate_window(correlation_kernels(), frame, note_window(note_index, fine_step), a, b, {});
}

void subtract_sinusoid(FrameBuffer& frame, int32_t note_index, int32_t fine_step, int32_t a, int32_t b, int32_t count)
{
    subtract_window(correlation_kernels(), frame, note_window(note_index, fine_step), a, b, count);
}

void load_frame_buffer(FrameBuffer& frame, const int16_t* samples)
{
    for (size_t s = 0; s < frame.samples.size(); ++s)
        frame.samples[s] = samples[s];
    frame.peak = 32768;
}
