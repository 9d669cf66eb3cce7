// The three kernels that measure and remove one fine pitch's sinusoid in the frame buffer
// of analysis_tables. Every sample-by-table product is divided by 16384 (toward zero) before
// it is summed. Products and sums are 64-bit so that frame values grown past 16 bits by
// earlier subtractions cannot wrap; where 32 bits would not wrap the results are the same.
#pragma once

#include <cstdint>

// Correlates fine step fine_step of note note_index with the first window_length samples of
// the frame, whose first sample is the wave sample at position. With advance > 0 only the
// last advance samples are added to the running sums kept from the previous frame; with
// retire > 0 the first retire samples are taken out of them afterwards, ready for a frame
// retire samples later. Returns the power a*a + b*b with the sine and cosine amplitudes
// a and b (saturated to 32 bits).
int64_t sliding_correlation(int32_t note_index, int32_t fine_step, int32_t position, int32_t advance,
                            int32_t retire, int32_t& a, int32_t& b);

// Correlates the fine pitch with the first window_length samples of the frame, phase 0 at
// the frame's first sample. Returns the power; a and b as above.
int64_t residual_correlation(int32_t note_index, int32_t fine_step, int32_t& a, int32_t& b);

// Subtracts a * sine + b * cosine of the fine pitch (window repeated, phase 0 at the first
// sample) from the whole frame buffer; frame values saturate at the 32-bit range.
void subtract_sinusoid(int32_t note_index, int32_t fine_step, int32_t a, int32_t b);
