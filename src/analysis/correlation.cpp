#include "analysis/correlation.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "analysis/sinusoid_tables.h"
#include "core/saturate.h"
#include "core/settings.h"

namespace {

struct Window {
    int32_t fine;
    int32_t length;
    const int16_t* sine;
    const int16_t* cosine;
};

Window window_of(int32_t note_index, int32_t fine_step)
{
    const AnalysisTables& t = analysis_tables;
    assert(note_index >= 0 && note_index < t.grid.note_count && fine_step >= 0 && fine_step < FINE_STEPS);
    const int32_t fine = t.grid.first_fine[note_index] + fine_step;
    const size_t p = static_cast<size_t>(fine);
    const size_t offset = static_cast<size_t>(t.table_offset[p]);
    return {fine, t.window_length[p], t.sine.data() + offset, t.cosine.data() + offset};
}

int64_t scaled(int64_t value, int16_t table)
{
    return value * table / TABLE_AMPLITUDE;
}

int32_t phase_of(int32_t position, int32_t length)
{
    const int32_t phase = position % length;
    return phase < 0 ? phase + length : phase;
}

// Amplitudes from the sums of a window of length samples, and the power they make.
int64_t power_from_sums(int64_t sine_sum, int64_t cosine_sum, int32_t length, int32_t& a, int32_t& b)
{
    a = saturate_int32(2 * sine_sum / length);
    b = saturate_int32(2 * cosine_sum / length);
    return int64_t{a} * a + int64_t{b} * b;
}

} // namespace

int64_t sliding_correlation(int32_t note_index, int32_t fine_step, int32_t position, int32_t advance,
                            int32_t retire, int32_t& a, int32_t& b)
{
    AnalysisTables& t = analysis_tables;
    const Window w = window_of(note_index, fine_step);
    const size_t p = static_cast<size_t>(w.fine);
    const int32_t* frame = t.frame.data();
    int32_t start = 0;
    int64_t sine_sum = 0;
    int64_t cosine_sum = 0;
    if (advance > 0) {
        start = w.length - advance;
        sine_sum = t.sliding_sine[p];
        cosine_sum = t.sliding_cosine[p];
    }
    int32_t ph = phase_of(phase_of(position, w.length) + start, w.length);
    for (int32_t s = start; s < w.length; ++s) {
        sine_sum += scaled(frame[s], w.sine[ph]);
        cosine_sum += scaled(frame[s], w.cosine[ph]);
        if (++ph == w.length)
            ph = 0;
    }
    t.sliding_sine[p] = sine_sum;
    t.sliding_cosine[p] = cosine_sum;
    const int64_t power = power_from_sums(sine_sum, cosine_sum, w.length, a, b);

    if (retire > 0) {
        int64_t sine_out = 0;
        int64_t cosine_out = 0;
        ph = phase_of(position, w.length);
        for (int32_t s = 0; s < retire; ++s) {
            sine_out += scaled(frame[s], w.sine[ph]);
            cosine_out += scaled(frame[s], w.cosine[ph]);
            if (++ph == w.length)
                ph = 0;
        }
        t.sliding_sine[p] -= sine_out;
        t.sliding_cosine[p] -= cosine_out;
    }
    return power;
}

int64_t residual_correlation(int32_t note_index, int32_t fine_step, int32_t& a, int32_t& b)
{
    const Window w = window_of(note_index, fine_step);
    const int32_t* frame = analysis_tables.frame.data();
    int64_t sine_sum = 0;
    int64_t cosine_sum = 0;
    for (int32_t s = 0; s < w.length; ++s) {
        sine_sum += scaled(frame[s], w.sine[s]);
        cosine_sum += scaled(frame[s], w.cosine[s]);
    }
    return power_from_sums(sine_sum, cosine_sum, w.length, a, b);
}

void subtract_sinusoid(int32_t note_index, int32_t fine_step, int32_t a, int32_t b)
{
    const Window w = window_of(note_index, fine_step);
    int32_t* frame = analysis_tables.frame.data();
    const int32_t frame_size = static_cast<int32_t>(analysis_tables.frame.size());
    int32_t ph = 0;
    for (int32_t s = 0; s < frame_size; ++s) {
        frame[s] = saturate_int32(frame[s] - scaled(a, w.sine[ph]) - scaled(b, w.cosine[ph]));
        if (++ph == w.length)
            ph = 0;
    }
}
