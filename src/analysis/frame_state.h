// What the frame analysis carries from one frame to the next within a run.
#pragma once

#include <cstdint>

#include "analysis/analysis_results.h"

// Zeroed at the start of every run.
struct AnalysisState {
    int64_t prev_power[MIDI_NOTE_COUNT] = {};  // best sliding power of each note, previous analysed frame
    int32_t prev_level[MIDI_NOTE_COUNT] = {};  // compressed level, previous output frame
    int32_t prev_step[MIDI_NOTE_COUNT] = {};   // best fine step, previous output frame (0 before the first)
};
