// Attacks heard in the recording itself. The analysis's note windows are long (up to 93 ms),
// so a note's level swells and dips with vibrato, tremolo and beating much as it does at a
// played repetition, and rises slowly into a bowed or sung note. A short window over the
// sound shows the attacks: a played note starts with a jump of energy at its pitch and
// partials (spectral flux); a swell of a held one barely moves it.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/clean_notes.h"
#include "analysis/note_bands.h"

struct AttackRules {
    int32_t hop_samples = CLEAN_GRID_HOP;
    int32_t lag_frames = 2;          // energy is compared with the window this many hops before
    // Added to every band's power, so that changes in what is nearly silence are no attacks:
    // this multiple of the recording's mean square (a band power in the same units), which
    // makes the flux the same for a recording played louder or softer.
    double quiet_per_mean_square = 2.0;
    int32_t attack_flux = 3000;      // flux (thousandths of a neper, weighted) that counts as an attack
    // Joining: a note starting this soon (600 ms) after the end of one of its pitch, with no
    // attack within the windows centred from search_before hops before its onset to
    // search_after hops after it, continues that note. A found onset may lie up to 50 ms early.
    int64_t gap_samples = 26460;
    int32_t search_before = 3;
    int32_t search_after = 8;
    // Nor does a piece whose attack stays below swell_percent of the swells the note before
    // showed while it held (the swell_rank_percent-th percentile of its flux, from 100 ms
    // after its start to 50 ms before its end, the last 2 s at most): vibrato, beating and
    // a pad's LFO swell a held note again and again; a played repetition stands out above them.
    int32_t swell_percent = 600;
    int32_t swell_rank_percent = 90;
    int64_t swell_after_start_samples = 4410;
    int64_t swell_before_end_samples = 2205;
    int64_t swell_span_samples = 88200;
    // Onsets: a note whose strongest attack within 100 ms before its onset (and search_after
    // after it) lies more than 20 ms earlier starts there. Log flux peaks as the attack enters
    // the window, a little before the sound is heard: the onset is placed 10 ms after the peak.
    int64_t lead_samples = 4410;
    int64_t move_samples = 882;
    int64_t peak_delay_samples = 441;
    // A note with no attack that near, found long after a slow one (a bowed or sung note
    // that stood out late), starts at the latest attack up to 400 ms before it when its
    // level held since (clean_levels.h). From there the same is tried again, so a slow
    // attack is followed back through its steps.
    int64_t far_lead_samples = 17640;
    LevelHold hold{};
    // A note from C3 up with less flux than this within the search windows of its onset was
    // never attacked: a partial or a neighbour of held notes standing out for a moment (below
    // C3 the bands are too coarse to tell).
    int32_t unattacked_flux = 1500;
    int32_t unattacked_from_note = 48;
    // A note starting on a partial of a lower one that has sounded this long (150 ms) needs
    // this much flux: a held note's partials swell with vibrato and chorus.
    int64_t held_partial_settle_samples = 6615;
    int32_t held_partial_flux = 6000;
};

// Partial intervals (semitones) on which a held note's swells stand out as notes.
inline constexpr int32_t HELD_PARTIAL_SEMITONES[] = {12, 19, 24};

// Partials whose flux adds to a note's attack and their weights.
inline constexpr int32_t ATTACK_PARTIALS = 4;
inline constexpr int32_t ATTACK_SEMITONES[ATTACK_PARTIALS] = {0, 12, 19, 24};
inline constexpr int32_t ATTACK_WEIGHTS[ATTACK_PARTIALS] = {1000, 800, 600, 500};  // per mille

// The notes with every onset moved to an attack heard before it, then every note that
// starts soon after one of its pitch and shows no attack of its own joined to that one,
// then the notes never attacked dropped. levels: the grid the notes were found on. Ordered
// by start and then note. Without samples, the notes as they are.
std::vector<CleanNote> clean_follow_attacks(std::vector<CleanNote> notes, const AttackRules& rules,
                                            const RecordingView& recording, const LevelMatrix& levels);
