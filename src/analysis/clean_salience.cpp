#include "analysis/clean_salience.h"

#include <algorithm>
#include <array>
#include <vector>

#include "analysis/clean_notes.h"
#include "analysis/level_amplitude.h"

namespace {

// Room above the last note for the partials of the highest ones.
constexpr size_t PADDED_NOTES = MIDI_NOTE_COUNT + 48;
using Residual = std::array<int64_t, PADDED_NOTES>;

struct Candidate {
    int32_t note = -1;
    int64_t salience = 0;
    int64_t rank = 0;
};

// The note whose harmonic series holds the most of the residual, among those whose own
// level is not lost beside their partials (a missing fundamental is an octave error). A
// note taken in the frame before ranks continuity_percent higher, so that two notes sharing
// partials (a bass and the voice an octave above it) do not take turns frame by frame.
Candidate strongest_series(const Residual& r, const SalienceRules& rules, const LevelMatrix& taken, int32_t g)
{
    Candidate best;
    for (int32_t note = 0; note < MIDI_NOTE_COUNT; ++note) {
        const int64_t own = r[static_cast<size_t>(note)];
        if (own <= 0)
            continue;
        int64_t sum = 0;
        int64_t loudest = 0;
        for (int32_t k = 0; k < SALIENCE_PARTIALS; ++k) {
            const int64_t part = r[static_cast<size_t>(note + SALIENCE_SEMITONES[k])];
            sum += part * SALIENCE_WEIGHTS[k];
            loudest = std::max(loudest, part);
        }
        if (own * 100 < loudest * rules.fundamental_percent)
            continue;
        const int64_t salience = sum / 1000;
        const bool held = g > 0 && taken.at(note, g - 1) > 0;
        const int64_t rank = held ? salience * (100 + rules.continuity_percent) / 100 : salience;
        if (rank > best.rank)
            best = Candidate{note, salience, rank};
    }
    return best;
}

// The most of partial p of a note held since `then` that the note can explain now: what
// the partial had then, grown as the note grew and by the rules' margin. A partial that
// rose while its note held is a note of its own starting there (a guitar string plucked
// on the partial of a ringing bass, a melody note on a held chord's partial).
int64_t held_partial_cap(const LevelMatrix& m, int32_t note, int32_t partial, int32_t g, const SalienceRules& rules)
{
    const int32_t then = g - rules.history_frames;
    if (rules.history_frames <= 0 || then < 0 || partial >= MIDI_NOTE_COUNT)
        return INT64_MAX;
    const int64_t note_then = level_amplitude(m.at(note, then));
    const int64_t note_now = level_amplitude(m.at(note, g));
    if (note_then * 100 <= note_now * rules.held_percent)
        return INT64_MAX;  // the note itself is new: its partials came with it
    const int64_t growth = std::max<int64_t>(100, note_now * 100 / std::max<int64_t>(note_then, 1));
    return level_amplitude(m.at(partial, then)) * growth / 100 * rules.margin_percent / 100;
}

// Removes a taken note and its share of its partials: at most the average of the partial
// and its two neighbours in the series, so a real note on one of them keeps its excess,
// and no more than a held note's partial had before.
void explain_series(Residual& r, int32_t note, const LevelMatrix& m, int32_t g, const SalienceRules& rules)
{
    std::array<int64_t, SALIENCE_PARTIALS> part{};
    for (int32_t k = 0; k < SALIENCE_PARTIALS; ++k)
        part[static_cast<size_t>(k)] = r[static_cast<size_t>(note + SALIENCE_SEMITONES[k])];
    for (int32_t k = 1; k < SALIENCE_PARTIALS; ++k) {
        const int32_t lo = k - 1;
        const int32_t hi = std::min(SALIENCE_PARTIALS - 1, k + 1);
        int64_t sum = 0;
        for (int32_t j = lo; j <= hi; ++j)
            sum += part[static_cast<size_t>(j)];
        const int32_t partial = note + SALIENCE_SEMITONES[k];
        const int64_t share = std::min({part[static_cast<size_t>(k)], sum / (hi - lo + 1),
                                        held_partial_cap(m, note, partial, g, rules)});
        r[static_cast<size_t>(partial)] -= share;
    }
    r[static_cast<size_t>(note)] = 0;
}

// Whether `note` was taken in the frames before g, and in every one since it began, which
// was no more than onset_frames ago.
bool just_begun(const LevelMatrix& taken, int32_t note, int32_t g, const SalienceRules& rules)
{
    int32_t run = 0;
    while (run <= rules.onset_frames && g - run > 0 && taken.at(note, g - run - 1) > 0)
        ++run;
    return run > 0 && run <= rules.onset_frames;
}

void frame_salience(const LevelMatrix& m, int32_t g, const SalienceRules& rules, int64_t floor, LevelMatrix& out)
{
    Residual r{};
    for (int32_t note = 0; note < MIDI_NOTE_COUNT; ++note)
        r[static_cast<size_t>(note)] = level_amplitude(m.at(note, g));
    int64_t first = 0;
    for (int32_t voice = 0; voice < rules.voices; ++voice) {
        const Candidate c = strongest_series(r, rules, out, g);
        if (c.note < 0)
            return;
        if (voice == 0)
            first = c.salience;
        const int32_t stop = just_begun(out, c.note, g, rules) ? rules.onset_stop_percent : rules.stop_percent;
        if (c.salience * 100 < first * stop || c.salience < floor)
            return;
        out.at(c.note, g) = amplitude_level(c.salience);
        explain_series(r, c.note, m, g, rules);
    }
}

} // namespace

LevelMatrix clean_salience(const LevelMatrix& m, const SalienceRules& rules)
{
    LevelMatrix out = make_level_matrix(m.frame_count, m.hop_samples);
    out.window_samples = m.window_samples;
    const int64_t floor = level_amplitude(clean_reference_level(m)) * rules.floor_percent / 100;
    for (int32_t g = 0; g < m.frame_count; ++g)
        frame_salience(m, g, rules, floor, out);
    return out;
}
