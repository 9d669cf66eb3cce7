// The fine-pitch search over consecutive frames: for every analysed note and frame, the
// largest sliding power among the note's 24 fine pitches, its step, and how much the note's
// best power changed against the frame before. The sliding sums of a fine pitch form one
// chain through the frames, so a batch of frames is searched note by note, and different
// notes can be searched on different threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/correlation_kernels.h"
#include "analysis/frame_state.h"
#include "core/uninitialized_allocator.h"

// Results for frames first_frame .. first_frame + frame_count - 1 of the run, one row of
// `capacity` entries per note.
struct SlidingBatch {
    int32_t first_frame = 0;
    int32_t frame_count = 0;
    int32_t capacity = 0;
    // Powers are whole numbers below 2^53, held exactly as doubles for the kernels' sake.
    // Strictly larger wins, so the lowest step wins ties; the step is 12 when no fine pitch
    // has a positive power. search_note fills a note's row before anything reads it: the
    // rows are not cleared when allocated.
    std::vector<double, UninitializedAllocator<double>> best_power;
    std::vector<int32_t, UninitializedAllocator<int32_t>> best_step;

    size_t at(int32_t note_index, int32_t frame) const { return static_cast<size_t>(note_index * capacity + frame); }
};

// Room for note_count notes of up to capacity frames.
void prepare_sliding_batch(SlidingBatch& batch, int32_t note_count, int32_t capacity);

// Working room of one thread for search_note, for batches of up to `capacity` frames and
// windows of up to longest_window samples.
struct SlidingScratch {
    SlidingScratch(int32_t capacity, int32_t longest_window)
        : sine_steps(static_cast<size_t>(capacity)), cosine_steps(static_cast<size_t>(capacity)),
          products(static_cast<size_t>(slide_scratch_size(longest_window))) {}
    std::vector<int32_t> sine_steps;
    std::vector<int32_t> cosine_steps;
    std::vector<int32_t> products;  // the slide's
};

// The change of a note's best power against the previous analysed frame: |d| * 1000 / s
// with d the difference and s the sum of the two, 500 when s is 0 but d is not, else 0.
int32_t power_change(int64_t power, int64_t previous);

// Searches one note over the batch's frames of the wave (the frame at run index k starts at
// sample 16k). The sliding sums of the note's fine pitches continue from the batch before,
// or start afresh when the batch begins at frame 0, whose samples first_frame holds as
// 32-bit values. previous_power is the note's best power in the frame before the batch and
// becomes that of the batch's last frame. The note's power change in each frame is added to
// change_sum (one entry per frame of the batch).
void search_note(const int16_t* wave, const int32_t* first_frame, int32_t note_index, SlidingBatch& batch,
                 int64_t& previous_power, SlidingScratch& scratch, int32_t* change_sum);
