// Analysis of one frame: fine-pitch search, spectral change, residual pursuit, corrections,
// compression and continuity.
#pragma once

#include <cstdint>

#include "analysis/analysis_results.h"
#include "analysis/frame_state.h"

// Finds for every note the fine step with the largest sliding power over the frame buffer
// (strictly larger wins, so the lowest step wins ties; no positive power leaves step 12).
void search_fine_pitches(int32_t note_count, int32_t position, int32_t advance, int32_t retire,
                         int64_t* best_power, int32_t* best_step);

// Average over the notes of the change of each best power against the previous analysed
// frame (0..1000 each), then records the powers in state. 0 for no notes.
int32_t spectral_change(int32_t note_count, const int64_t* best_power, AnalysisState& state);

// Fits and removes the notes from the frame buffer strongest first (ties: lower note).
// A note's level is its residual power, or 0 when that is less than half its sliding power,
// in which case nothing is removed.
void pursue_residuals(int32_t note_count, const int64_t* best_power, const int32_t* best_step, int64_t* level);

// Analyses the FFT_SIZE samples at samples (the wave from sample index position). Returns
// note_count with one record per note in out, or -1 when the frame is not forced and the
// spectrum changed less than VARY_RATE.
int32_t analyse_frame(const int16_t* samples, FrameNoteRecord* out, int32_t position, int32_t advance,
                      int32_t retire, int32_t force, AnalysisState& state);
