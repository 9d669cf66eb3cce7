// Whether each note of an output frame continues a note of the previous output frame.
#pragma once

#include <cstdint>

#include "analysis/frame_state.h"

inline constexpr int32_t CONTINUITY_NEW = 0;
inline constexpr int32_t CONTINUITY_SAME = 1;
inline constexpr int32_t CONTINUITY_FROM_BELOW = 2;
inline constexpr int32_t CONTINUITY_FROM_ABOVE = 3;

// Decides the continuity of notes 0 .. note_count - 1 (MIDI notes KEY_MIN upward) from their
// compressed levels and best fine steps, in ascending order; each note's level and step
// replace its previous ones in state as soon as it is decided, so the note below is compared
// with its value of this frame and the note above with its value of the previous output frame.
void decide_continuity(int32_t note_count, const int32_t* level, const int32_t* step,
                       AnalysisState& state, int32_t* continuity);
