// The clean transcription's view of an analysis file: every analysed note's level on a
// regular time grid, the shape its rules work on.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/analysis_file.h"
#include "analysis/analysis_results.h"
#include "analysis/clean_vibrato.h"

// Samples between two grid frames: 5.8 ms at 44100 Hz, fine against the 50 ms within
// which a listener (and the usual scoring) places an onset.
inline constexpr int32_t CLEAN_GRID_HOP = 256;

// Levels of notes 0..127 over grid frames; frame g covers the samples g * hop .. (g + 1) * hop.
// A cell holds the largest level of the analysis frames that start within it; a cell no
// analysis frame starts in holds the level of the frame before (the analysis writes a
// frame only when the spectrum changed).
struct LevelMatrix {
    int32_t hop_samples = CLEAN_GRID_HOP;
    int32_t frame_count = 0;
    std::vector<int32_t> levels;  // frame-major: levels[frame * MIDI_NOTE_COUNT + note]
    std::vector<int32_t> window_samples;  // by MIDI note: the analysis window (note_window_length)

    int32_t at(int32_t note, int32_t frame) const
    {
        return levels[static_cast<size_t>(frame) * MIDI_NOTE_COUNT + static_cast<size_t>(note)];
    }
    int32_t& at(int32_t note, int32_t frame)
    {
        return levels[static_cast<size_t>(frame) * MIDI_NOTE_COUNT + static_cast<size_t>(note)];
    }
};

// An empty matrix of frame_count frames (all levels 0, every window hop_samples long).
LevelMatrix make_level_matrix(int32_t frame_count, int32_t hop_samples);

// The largest level of `note` over frames first..last (inclusive, clipped to the matrix); 0 for none.
int32_t level_peak(const LevelMatrix& m, int32_t note, int32_t first, int32_t last);

// When a note's level counts as held since an earlier time: from settle_frames after it up
// to where the note was found, at least `percent` of the note's peak over its first frames
// there, in frames_percent of the frames.
struct LevelHold {
    int32_t settle_frames = 4;
    int32_t percent = 50;
    int32_t frames_percent = 90;
};

// Whether `note`'s level held from since_samples to found_samples (false when the settled
// start is not before the found one).
bool level_held(const LevelMatrix& m, int32_t note, int64_t since_samples, int64_t found_samples,
                const LevelHold& hold);

// Reads the blocks of an analysis file (after its header) into a matrix; note_window_length
// must hold the file's windows already. With vibrato rules each block's edge levels are
// folded first (clean_vibrato.h). Stops at the first damaged or incomplete block,
// keeping the blocks before it; a block out of order, or further from the one before (or
// from the start) than any frame of the analysis, counts as damaged, and the last block
// stands for at most that much. An empty matrix when no block was read.
LevelMatrix read_level_matrix(AnalysisReader& reader, const VibratoRules* vibrato = nullptr);
