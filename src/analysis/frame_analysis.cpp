#include "analysis/frame_analysis.h"

#include <algorithm>
#include <functional>

#include "analysis/correlation.h"
#include "analysis/level_corrections.h"
#include "core/settings.h"

namespace {

// The notes with a positive best power, strongest first, lower note first on ties: the
// order in which the pursuit takes them. Returns their count.
int32_t pursuit_order(int32_t note_count, const int64_t* best_power, int32_t* order)
{
    // Sliding powers stay below 2^36, so power and note make one key that sorts both ways
    // at once; larger powers, should any come, fall back to the comparison.
    constexpr int64_t KEY_LIMIT = int64_t{1} << 55;
    uint64_t keys[MIDI_NOTE_COUNT];
    int32_t count = 0;
    bool packed = true;
    for (int32_t i = 0; i < note_count; ++i) {
        if (best_power[i] > 0) {
            packed = packed && best_power[i] < KEY_LIMIT;
            keys[count] = static_cast<uint64_t>(best_power[i]) * MIDI_NOTE_COUNT + static_cast<uint64_t>(MIDI_NOTE_COUNT - 1 - i);
            order[count++] = i;
        }
    }
    if (!packed) {
        std::stable_sort(order, order + count, [best_power](int32_t x, int32_t y) { return best_power[x] > best_power[y]; });
        return count;
    }
    std::sort(keys, keys + count, std::greater<uint64_t>());
    for (int32_t r = 0; r < count; ++r)
        order[r] = MIDI_NOTE_COUNT - 1 - static_cast<int32_t>(keys[r] % MIDI_NOTE_COUNT);
    return count;
}

// Whether best_power / level, divided in doubles, is above 2 (level > 0). With both below
// 2^50 the double quotient passes 2 exactly when best_power > 2 * level (a quotient of at
// least 2 + 1/level is at least two steps of a double above 2, so it does not round down to
// 2): compared as whole numbers then.
bool more_than_twice(int64_t best_power, int64_t level)
{
    constexpr int64_t EXACT = int64_t{1} << 50;
    if (best_power >= 0 && best_power < EXACT && level < EXACT)
        return best_power - level > level;
    return static_cast<double>(best_power) / static_cast<double>(level) > 2.0;
}

} // namespace

void pursue_residuals(int32_t note_count, const int64_t* best_power, const int32_t* best_step, int64_t* level,
                      FrameBuffer& frame)
{
    for (int32_t i = 0; i < note_count; ++i)
        level[i] = 0;
    int32_t order[MIDI_NOTE_COUNT];
    const int32_t count = pursuit_order(note_count, best_power, order);
    TableWindow windows[MIDI_NOTE_COUNT + 1];
    for (int32_t r = 0; r < count; ++r)
        windows[r] = note_window(order[r], best_step[order[r]]);
    windows[count] = TableWindow{};
    // reach[r]: the samples the correlations after the r-th one still read.
    int32_t reach[MIDI_NOTE_COUNT + 1];
    reach[count] = 0;
    for (int32_t r = count - 1; r >= 0; --r)
        reach[r] = std::max(reach[r + 1], windows[r].length);
    const CorrelationKernels& kernels = correlation_kernels();
    for (int32_t r = 0; r < count; ++r) {
        const int32_t i = order[r];
        int32_t a = 0;
        int32_t b = 0;
        // The next note's window is known now: it is fetched while this one is correlated.
        level[i] = correlate_window(kernels, frame, windows[r], a, b, windows[r + 1]);
        if (level[i] == 0 || more_than_twice(best_power[i], level[i])) {
            level[i] = 0;
            continue;
        }
        if (reach[r + 1] > 0)
            subtract_window(kernels, frame, windows[r], a, b, reach[r + 1]);
    }
}

void analyse_output_frame(const int16_t* samples, const int64_t* best_power, const int32_t* best_step,
                          FrameBuffer& frame, int32_t* compressed)
{
    const int32_t note_count = analysis_tables.grid.note_count;
    load_frame_buffer(frame, samples);
    int64_t level[MIDI_NOTE_COUNT];
    pursue_residuals(note_count, best_power, best_step, level, frame);
    if (conversion_settings.FUNDAMENTAL_CORRECT)
        correct_fundamentals(note_count, level, best_power);
    if (conversion_settings.OVERTONE_CORRECT)
        correct_overtones(note_count, level);
    for (int32_t i = 0; i < note_count; ++i)
        compressed[i] = compress_level(level[i]);
}
