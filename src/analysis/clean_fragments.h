// Joining the fragments of held notes. A sustained note (strings, voices, organ, pads)
// drifts in and out of the salience its tracking follows, with vibrato, beating and the
// other notes around it, and so comes out as several notes of one pitch. Two notes of one
// pitch become one when the note's analysis level stays up between them and the second
// begins with no attack of its own; a played repetition has one.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/clean_levels.h"
#include "analysis/clean_notes.h"

struct FragmentRules {
    int32_t gap_frames = 103;      // a later note starting this long after the end, at most, may join
    int32_t keep_percent = 40;     // the level between stays this high against the earlier note's ...
    int32_t rise_percent = 120;    // ... and the later one does not rise this far above what came before
    int32_t before_frames = 12;    // frames before the later start that show what came before
    int32_t after_frames = 6;      // frames after it where an attack would peak
};

// The notes with every joinable pair of one pitch joined, ordered by start and then note.
std::vector<CleanNote> clean_join_fragments(std::vector<CleanNote> notes, const FragmentRules& rules,
                                            const LevelMatrix& levels);
