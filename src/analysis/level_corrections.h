// Corrections of an output frame's uncompressed levels (missing fundamentals, overtones)
// and the compression that turns a level into the value stored in the analysis file.
// Uncompressed levels are powers and stay 64-bit: their sums leave the 32-bit range.
#pragma once

#include <cstdint>

// Adds the level of each note from the twelfth up to MIDI note 63 to the fundamental its
// strongest partial pattern (scored on the sliding powers) points to. Needs more than 12
// notes; uses MAX_OVERTONE rows of the pattern table (8 at most).
void correct_fundamentals(int32_t note_count, int64_t* level, const int64_t* power);

// Takes from each note the share OVERTONE_LEVEL assigns to it as a partial of lower notes,
// highest base notes first.
void correct_overtones(int32_t note_count, int64_t* level);

// trunc(16384 * (level / 2^28)^0.187) for a positive level, 0 otherwise; always fits 32 bits.
int32_t compress_level(int64_t level);
