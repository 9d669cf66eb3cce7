// The per-frame work after the fine-pitch search: residual pursuit, level corrections and
// compression of an output frame. Each frame depends only on its own samples and sliding
// results, so different frames can be analysed on different threads, each with its own
// frame buffer.
#pragma once

#include <cstdint>

#include "analysis/analysis_results.h"
#include "analysis/sinusoid_tables.h"

// Fits and removes the notes from the frame buffer strongest first (ties: lower note),
// considering only notes with a positive best power. A note's level is its residual power,
// or 0 when that is less than half its sliding power, in which case nothing is removed.
// Only the samples a later correlation of the frame reads are updated.
void pursue_residuals(int32_t note_count, const int64_t* best_power, const int32_t* best_step, int64_t* level,
                      FrameBuffer& frame);

// Analyses an output frame whose FFT_SIZE samples start at samples: residual pursuit in
// frame, the corrections the settings ask for, and compression. Writes note_count
// compressed levels.
void analyse_output_frame(const int16_t* samples, const int64_t* best_power, const int32_t* best_step,
                          FrameBuffer& frame, int32_t* compressed);
