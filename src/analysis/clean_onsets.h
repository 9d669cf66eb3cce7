// Onsets of slow attacks. A note is found once its level stands out, which for a bowed,
// sung or swelling note is long after it began; its onset lies where the rise began.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/clean_levels.h"
#include "analysis/clean_notes.h"

struct OnsetRules {
    int32_t reach_frames = 10;    // the level a note reaches: its peak over this many frames from its onset
    int32_t back_frames = 60;     // how far back a rise is followed (350 ms)
    int32_t floor_percent = 50;   // ... while the level stays above this share of the reached one
    int32_t slack_permille = 20;  // ... and each earlier frame at most this much above the later one
    int32_t low_percent = 80;     // a rise only when its start lies below this share of the reached level
};

// Moves each note's onset back to where its rise began, plus half its analysis window (the
// level starts to climb when the window's end reaches the sound), never later than it was
// and never into the previous note of its pitch. Ordered by start and then note.
std::vector<CleanNote> clean_place_onsets(std::vector<CleanNote> notes, const OnsetRules& rules,
                                          const LevelMatrix& levels);

// The notes of a chord start together. A note found late in a slow chord (strings, organ,
// voices) starts with the earliest onset of another note from lead_samples (250 ms) to
// min_lead_samples (20 ms) before it, when its level held since (clean_levels.h). Never
// into the previous note of its pitch, and not a note that starts at a strong attack of its
// own (own_attack_flux): it was played there, whatever a long window saw early in another
// note. Ordered by start and then note.
struct ChordRules {
    int64_t lead_samples = 11025;
    int64_t min_lead_samples = 882;
    LevelHold hold{};
    int32_t own_attack_flux = 10000;
};

std::vector<CleanNote> clean_start_with_chords(std::vector<CleanNote> notes, const ChordRules& rules,
                                               const LevelMatrix& levels);
