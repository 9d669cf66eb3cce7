#include "analysis/frame_analysis.h"

#include <cstdlib>

#include "analysis/continuity.h"
#include "analysis/correlation.h"
#include "analysis/level_corrections.h"
#include "analysis/sinusoid_tables.h"
#include "core/settings.h"

namespace {

constexpr int32_t FULL_CHANGE = 1000;
constexpr int32_t CHANGE_FROM_NOTHING = 500;

// The unmarked note with the largest positive power (lowest index on ties), or -1.
int32_t strongest_unmarked(int32_t note_count, const int64_t* best_power, const bool* marked)
{
    int32_t strongest = -1;
    for (int32_t i = 0; i < note_count; ++i) {
        if (!marked[i] && best_power[i] > 0 && (strongest < 0 || best_power[i] > best_power[strongest]))
            strongest = i;
    }
    return strongest;
}

} // namespace

void search_fine_pitches(int32_t note_count, int32_t position, int32_t advance, int32_t retire,
                         int64_t* best_power, int32_t* best_step)
{
    for (int32_t i = 0; i < note_count; ++i) {
        best_power[i] = 0;
        best_step[i] = TEMPERED_STEP;
        for (int32_t j = 0; j < FINE_STEPS; ++j) {
            int32_t a = 0;
            int32_t b = 0;
            const int64_t power = sliding_correlation(i, j, position, advance, retire, a, b);
            if (power > best_power[i]) {
                best_power[i] = power;
                best_step[i] = j;
            }
        }
    }
}

int32_t spectral_change(int32_t note_count, const int64_t* best_power, AnalysisState& state)
{
    int32_t total = 0;
    for (int32_t i = 0; i < note_count; ++i) {
        // 64-bit: a loud note's power difference times 1000 leaves the 32-bit range.
        const int64_t d = std::llabs(best_power[i] - state.prev_power[i]);
        const int64_t s = best_power[i] + state.prev_power[i];
        if (s > 0)
            total += static_cast<int32_t>(d * FULL_CHANGE / s);
        else if (d > 0)
            total += CHANGE_FROM_NOTHING;
        state.prev_power[i] = best_power[i];
    }
    return note_count > 0 ? total / note_count : 0;
}

void pursue_residuals(int32_t note_count, const int64_t* best_power, const int32_t* best_step, int64_t* level)
{
    bool marked[MIDI_NOTE_COUNT] = {};
    for (int32_t i = 0; i < note_count; ++i)
        level[i] = 0;
    for (int32_t round = 0; round < note_count; ++round) {
        const int32_t i = strongest_unmarked(note_count, best_power, marked);
        if (i < 0)
            break;
        int32_t a = 0;
        int32_t b = 0;
        level[i] = residual_correlation(i, best_step[i], a, b);
        marked[i] = true;
        if (level[i] == 0 || static_cast<double>(best_power[i]) / static_cast<double>(level[i]) > 2.0) {
            level[i] = 0;
            continue;
        }
        subtract_sinusoid(i, best_step[i], a, b);
    }
}

int32_t analyse_frame(const int16_t* samples, FrameNoteRecord* out, int32_t position, int32_t advance,
                      int32_t retire, int32_t force, AnalysisState& state)
{
    AnalysisTables& t = analysis_tables;
    const int32_t note_count = t.grid.note_count;
    const size_t frame_size = t.frame.size();
    for (size_t s = 0; s < frame_size; ++s)
        t.frame[s] = samples[s];

    int64_t best_power[MIDI_NOTE_COUNT];
    int32_t best_step[MIDI_NOTE_COUNT];
    search_fine_pitches(note_count, position, advance, retire, best_power, best_step);
    const int32_t average_change = spectral_change(note_count, best_power, state);
    if (force == 0 && average_change < conversion_settings.VARY_RATE)
        return -1;

    int64_t level[MIDI_NOTE_COUNT];
    pursue_residuals(note_count, best_power, best_step, level);
    if (conversion_settings.FUNDAMENTAL_CORRECT)
        correct_fundamentals(note_count, level, best_power);
    if (conversion_settings.OVERTONE_CORRECT)
        correct_overtones(note_count, level);

    int32_t compressed[MIDI_NOTE_COUNT];
    for (int32_t i = 0; i < note_count; ++i)
        compressed[i] = compress_level(level[i]);
    int32_t continuity[MIDI_NOTE_COUNT];
    decide_continuity(note_count, compressed, best_step, state, continuity);
    for (int32_t i = 0; i < note_count; ++i)
        out[i] = {compressed[i], t.grid.midi_note[i], best_step[i], continuity[i]};
    return note_count;
}
