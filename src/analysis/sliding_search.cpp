#include "analysis/sliding_search.h"

#include <cassert>
#include <cstdlib>

#include "analysis/correlation.h"
#include "analysis/correlation_kernels.h"
#include "analysis/sinusoid_tables.h"
#include "core/settings.h"

namespace {

constexpr int32_t FULL_CHANGE = 1000;
constexpr int32_t CHANGE_FROM_NOTHING = 500;

struct BestRow {
    double* power;
    int32_t* step;
};

// One fine pitch through the batch's frames, continuing its stored sums.
void search_fine_pitch(const CorrelationKernels& kernels, const int16_t* wave, const int32_t* first_frame,
                       int32_t fine, int32_t step, const SlidingBatch& batch, const BestRow& best,
                       SlidingScratch& scratch)
{
    AnalysisTables& t = analysis_tables;
    const size_t p = static_cast<size_t>(fine);
    const TableWindow window = fine_pitch_window(fine);
    const int32_t length = window.length;
    // The sums of frames of 16-bit samples stay far below 2^53: exact as doubles.
    double sine_sum = static_cast<double>(t.sliding_sine[p]);
    double cosine_sum = static_cast<double>(t.sliding_cosine[p]);
    int32_t f = 0;
    if (batch.first_frame == 0) {
        // The first frame of the run: the whole window, phase 0 at sample 0.
        const CorrelationSums sums = kernels.correlate(first_frame, window, {});
        sine_sum = static_cast<double>(sums.sine);
        cosine_sum = static_cast<double>(sums.cosine);
        scratch.sine_steps[0] = scratch.cosine_steps[0] = 0;
        kernels.pick(scratch.sine_steps.data(), scratch.cosine_steps.data(), 1, length, sine_sum, cosine_sum, step,
                     best.power, best.step);
        f = 1;
    }
    const int32_t steps = batch.frame_count - f;
    if (steps > 0) {
        // Frame k takes out samples 16(k-1) .. 16k-1 and takes in the same samples shifted
        // by the window length, which meet the same table phases.
        const int32_t leaving = ANALYSIS_STEP * (batch.first_frame + f - 1);
        assert(scratch.products.size() >= static_cast<size_t>(slide_scratch_size(length)));
        kernels.slide(wave + leaving, window, leaving % length, steps, scratch.sine_steps.data(),
                      scratch.cosine_steps.data(), scratch.products.data());
        kernels.pick(scratch.sine_steps.data(), scratch.cosine_steps.data(), steps, length, sine_sum, cosine_sum, step,
                     best.power + f, best.step + f);
    }
    t.sliding_sine[p] = static_cast<int64_t>(sine_sum);
    t.sliding_cosine[p] = static_cast<int64_t>(cosine_sum);
}

} // namespace

void prepare_sliding_batch(SlidingBatch& batch, int32_t note_count, int32_t capacity)
{
    const size_t size = static_cast<size_t>(note_count) * static_cast<size_t>(capacity);
    batch.capacity = capacity;
    batch.best_power.resize(size);
    batch.best_step.resize(size);
}

int32_t power_change(int64_t power, int64_t previous)
{
    // 64-bit: a loud note's power difference times 1000 leaves the 32-bit range.
    const int64_t d = std::llabs(power - previous);
    const int64_t s = power + previous;
    if (s <= 0)
        return d > 0 ? CHANGE_FROM_NOTHING : 0;
    // Sliding powers stay far below 2^40: the double quotient of d * 1000 (below 2^52) and s
    // truncates to the integer one, without a 64-bit division per note and frame.
    constexpr int64_t EXACT = int64_t{1} << 42;
    if (s < EXACT)
        return static_cast<int32_t>(static_cast<double>(d * FULL_CHANGE) / static_cast<double>(s));
    return static_cast<int32_t>(d * FULL_CHANGE / s);
}

void search_note(const int16_t* wave, const int32_t* first_frame, int32_t note_index, SlidingBatch& batch,
                 int64_t& previous_power, SlidingScratch& scratch, int32_t* change_sum)
{
    const size_t row = batch.at(note_index, 0);
    const BestRow best{batch.best_power.data() + row, batch.best_step.data() + row};
    for (int32_t f = 0; f < batch.frame_count; ++f) {
        best.power[f] = 0;
        best.step[f] = TEMPERED_STEP;
    }
    const int32_t first_fine = analysis_tables.grid.first_fine[note_index];
    const CorrelationKernels& kernels = correlation_kernels();
    for (int32_t j = 0; j < analysis_tables.grid.fine_count[note_index]; ++j)
        search_fine_pitch(kernels, wave, first_frame, first_fine + j, j, batch, best, scratch);

    for (int32_t f = 0; f < batch.frame_count; ++f) {
        const int64_t power = static_cast<int64_t>(best.power[f]);
        change_sum[f] += power_change(power, previous_power);
        previous_power = power;
    }
}
