// Vibrato folding. A sung or bowed note's vibrato (and a chorus's detuning) swings it across
// the boundary between two semitones; the analysis then gives the sound to the neighbouring
// note in the frames where it sits beyond the boundary, and the note falls apart into both.
// A level whose fine pitch lies near the edge toward a neighbour goes to whichever of the
// two holds more sound well inside its own pitch around that moment.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "analysis/analysis_results.h"

// One block of an analysis file: every note's level and fine step (0..23, 12 tempered).
struct AnalysisBlock {
    int32_t position = 0;
    int32_t duration = 0;
    std::array<int32_t, MIDI_NOTE_COUNT> levels{};
    std::array<int8_t, MIDI_NOTE_COUNT> steps{};
};

struct VibratoRules {
    int32_t edge_steps = 6;         // fine steps from a note's edge (of 24) that may belong to the neighbour
    int32_t around_samples = 8192;  // blocks this close either side decide (186 ms at 44.1 kHz)
};

// Blocks in ascending position go in; the same blocks, folded, come out in order once the
// blocks after them within around_samples are known.
struct VibratoWindow {
    VibratoRules rules;
    std::deque<AnalysisBlock> blocks;
    size_t next_out = 0;  // index in blocks of the next block to fold
    size_t counted = 0;   // blocks[0 .. counted) are in `centred`
    std::array<int64_t, MIDI_NOTE_COUNT> centred{};  // amplitude of the counted blocks' centred levels
};

void vibrato_push(VibratoWindow& w, const AnalysisBlock& block);

// The next folded block; false when none is ready (at_end: the input has ended, so every
// block still held is ready).
bool vibrato_pop(VibratoWindow& w, bool at_end, AnalysisBlock& folded);
