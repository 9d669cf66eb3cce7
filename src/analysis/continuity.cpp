#include "analysis/continuity.h"

#include <cstdlib>

#include "core/settings.h"

namespace {

// A previous note this one may continue: its relative level change and pitch distance.
struct Reference {
    bool matches = false;
    int64_t rel = 0;
    int64_t dist = 0;
};

Reference compare(int64_t level, int64_t fine_pitch, int64_t reference_level, int64_t reference_pitch)
{
    Reference r;
    const int64_t difference = std::llabs(level - reference_level);
    if (level + reference_level > 0)
        r.rel = difference * 100 / (level + reference_level);
    else if (difference > 0)
        r.rel = 50;
    r.dist = std::llabs(reference_pitch - fine_pitch);
    r.matches = r.rel < conversion_settings.SL_DIFFLEVEL && r.dist <= conversion_settings.SL_DIFFNOTE;
    return r;
}

int64_t fine_pitch_of(int32_t note_index, int32_t step)
{
    return int64_t{conversion_settings.KEY_MIN + note_index} * FINE_STEPS + step;
}

int32_t decide_one(int32_t i, int32_t note_count, int32_t level, int32_t step, const AnalysisState& s)
{
    const int64_t pitch = fine_pitch_of(i, step);
    int32_t result = CONTINUITY_NEW;
    const Reference self = compare(level, pitch, s.prev_level[i], fine_pitch_of(i, s.prev_step[i]));
    if (self.matches)
        result = CONTINUITY_SAME;
    Reference below;
    if (i > 0) {
        below = compare(level, pitch, s.prev_level[i - 1], fine_pitch_of(i - 1, s.prev_step[i - 1]));
        if (below.matches && (result == CONTINUITY_NEW ||
                              (result == CONTINUITY_SAME && below.rel * below.dist < self.dist * self.rel)))
            result = CONTINUITY_FROM_BELOW;
    }
    if (i < note_count - 1) {
        const Reference above = compare(level, pitch, s.prev_level[i + 1], fine_pitch_of(i + 1, s.prev_step[i + 1]));
        if (above.matches &&
            (result == CONTINUITY_NEW ||
             (result == CONTINUITY_SAME && above.rel * above.dist < self.dist * self.rel) ||
             (result == CONTINUITY_FROM_BELOW && above.rel * above.dist < below.rel * below.dist)))
            result = CONTINUITY_FROM_ABOVE;
    }
    return result;
}

} // namespace

void decide_continuity(int32_t note_count, const int32_t* level, const int32_t* step,
                       AnalysisState& state, int32_t* continuity)
{
    for (int32_t i = 0; i < note_count; ++i) {
        continuity[i] = decide_one(i, note_count, level[i], step[i], state);
        state.prev_level[i] = level[i];
        state.prev_step[i] = step[i];
    }
}
