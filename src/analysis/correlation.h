// Measuring and removing one fine pitch's sinusoid in a frame buffer. Every sample-by-table
// product is divided by 16384 (toward zero) before it is summed. The fast kernels of
// correlation_kernels.h do the work while the values stay in their narrow range; outside it
// products and sums are 64-bit so that frame values grown past 16 bits by earlier
// subtractions cannot wrap. Both give the same results wherever 32 bits would not wrap.
#pragma once

#include <cstdint>

#include "analysis/sinusoid_tables.h"

// Amplitudes of a window of length samples from its sums (saturated to 32 bits), and the
// power a*a + b*b they make.
int64_t power_from_sums(int64_t sine_sum, int64_t cosine_sum, int32_t length, int32_t& a, int32_t& b);

// The same for sums with |2 * sum / length| < 2^18 (those of narrow frames) and lengths
// below 2^20, from twice_reciprocal = 2.0 / length: a multiplication instead of divisions.
int64_t narrow_power_from_sums(int64_t sine_sum, int64_t cosine_sum, double twice_reciprocal, int32_t& a, int32_t& b);

// Correlates window w with its first length samples of the frame, phase 0 at the frame's
// first sample, with kernels (the set in use, which callers look up once for many calls)
// while the frame is narrow. Returns the power; a and b as above. ahead names the window
// the caller correlates next, if it knows it, to be fetched early.
int64_t correlate_window(const CorrelationKernels& kernels, const FrameBuffer& frame, const TableWindow& w,
                         int32_t& a, int32_t& b, const TableWindow& ahead = {});

// Subtracts a * sine + b * cosine of window w (repeated, phase 0 at the first sample) from
// the first count samples of the frame (count -1: all of them); frame values saturate at
// the 32-bit range. Samples from count on keep stale values: only call with a count that
// covers every sample a later correlation of this frame reads.
void subtract_window(const CorrelationKernels& kernels, FrameBuffer& frame, const TableWindow& w, int32_t a,
                     int32_t b, int32_t count = -1);

// The same for fine step fine_step of note note_index.
int64_t residual_correlation(const FrameBuffer& frame, int32_t note_index, int32_t fine_step, int32_t& a, int32_t& b);
void subtract_sinusoid(FrameBuffer& frame, int32_t note_index, int32_t fine_step, int32_t a, int32_t b,
                       int32_t count = -1);

// Loads samples (FFT_SIZE of them) into the frame as 32-bit values and sets its peak.
void load_frame_buffer(FrameBuffer& frame, const int16_t* samples);
