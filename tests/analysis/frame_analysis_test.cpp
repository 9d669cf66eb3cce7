#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/correlation.h"
#include "analysis/frame_analysis.h"
#include "analysis/sliding_search.h"
#include "analysis_test_support.h"
#include "signal/wav_synth.h"

namespace {

constexpr int32_t HAND_WINDOW = 16;

// Tables made by hand: note_count notes from MIDI 60, every fine pitch a 16-sample window
// holding one cycle of a sinusoid, except the steps listed in silent_steps (all zero).
void make_hand_tables(int32_t note_count, std::vector<int32_t> silent_steps = {})
{
    analysis_test::use_keys(60, 60 + note_count - 1, 32);
    build_pitch_grid();
    AnalysisTables& t = analysis_tables;
    const size_t total = static_cast<size_t>(t.grid.total_fine);
    t.period.assign(total, HAND_WINDOW);
    t.window_length.assign(total, HAND_WINDOW);
    t.table_offset.resize(total);
    // Each window is followed by the repeat of its start, as in built tables.
    constexpr int32_t SPACING = HAND_WINDOW + WINDOW_REPEAT;
    t.sine.assign(total * SPACING, 0);
    t.cosine.assign(total * SPACING, 0);
    for (size_t p = 0; p < total; ++p) {
        t.table_offset[p] = static_cast<int32_t>(p) * SPACING;
        const int32_t step = static_cast<int32_t>(p % 24);
        if (std::find(silent_steps.begin(), silent_steps.end(), step) != silent_steps.end())
            continue;
        for (int32_t s = 0; s < SPACING; ++s) {
            const int32_t phase = s % HAND_WINDOW;
            t.sine[p * SPACING + s] = static_cast<int16_t>(std::lround(16384 * std::sin(2 * M_PI * phase / HAND_WINDOW)));
            t.cosine[p * SPACING + s] = static_cast<int16_t>(std::lround(16384 * std::cos(2 * M_PI * phase / HAND_WINDOW)));
        }
    }
    t.frames.assign(1, FrameBuffer{std::vector<int32_t>(32, 0), std::vector<int32_t>(HAND_WINDOW), 0});
    t.sliding_sine.assign(total, 0);
    t.sliding_cosine.assign(total, 0);
}

std::vector<int32_t> cycle_frame(double amplitude)
{
    std::vector<int32_t> frame(32);
    for (int32_t s = 0; s < 32; ++s)
        frame[s] = static_cast<int32_t>(std::lround(amplitude * std::sin(2 * M_PI * s / HAND_WINDOW)));
    return frame;
}

// Searches the first frame of a wave holding frame (then zeros) over all notes.
void search_first_frame(const std::vector<int32_t>& frame, int32_t note_count, int64_t* power, int32_t* step)
{
    std::vector<int16_t> wave(frame.begin(), frame.end());
    wave.resize(64, 0);
    SlidingBatch batch;
    prepare_sliding_batch(batch, note_count, 1);
    batch.first_frame = 0;
    batch.frame_count = 1;
    SlidingScratch scratch(1, longest_window_length());
    std::vector<int32_t> change_sum(1);
    for (int32_t i = 0; i < note_count; ++i) {
        int64_t previous = 0;
        search_note(wave.data(), frame.data(), i, batch, previous, scratch, change_sum.data());
        power[i] = static_cast<int64_t>(batch.best_power[batch.at(i, 0)]);
        step[i] = batch.best_step[batch.at(i, 0)];
    }
}

TEST(FinePitchSearch, TiesGoToTheLowestStepAndSilenceKeepsStep12)
{
    make_hand_tables(2, {0, 1, 2});
    int64_t power[2];
    int32_t step[2];
    search_first_frame(cycle_frame(1000), 2, power, step);
    EXPECT_EQ(step[0], 3);
    EXPECT_GT(power[0], 900000);

    search_first_frame(std::vector<int32_t>(32, 0), 2, power, step);
    EXPECT_EQ(step[0], 12);
    EXPECT_EQ(power[0], 0);
}

TEST(SpectralChange, PerNoteChangeIn64Bits)
{
    // 64e6 from nothing: d * 1000 / s = 1000, which 32-bit arithmetic would wrap.
    EXPECT_EQ(power_change(64000000, 0), 1000);
    EXPECT_EQ(power_change(32000000, 64000000), 333);  // 32e6 * 1000 / 96e6
    EXPECT_EQ(power_change(32000000, 32000000), 0);
    EXPECT_EQ(power_change(0, 0), 0);
    EXPECT_EQ(power_change(5, 0), 1000);
    // Quotients just below a whole number, on both sides of the quick path's limit.
    for (int64_t s : {int64_t{3}, int64_t{999999937}, (int64_t{1} << 42) - 3, (int64_t{1} << 42) + 5, int64_t{1} << 50}) {
        for (int64_t d : {int64_t{1}, s / 3, s / 2, s - 1}) {
            const int64_t power = (s + d) / 2;
            const int64_t previous = s - power;
            const int64_t difference = power > previous ? power - previous : previous - power;
            EXPECT_EQ(power_change(power, previous), static_cast<int32_t>(difference * 1000 / s)) << s << " " << d;
        }
    }
}

TEST(ResidualPursuit, LowerNoteWinsTiesAndTakesTheSharedSinusoid)
{
    make_hand_tables(2);
    analysis_test::load_frame(cycle_frame(1000));
    const int64_t best[2] = {1000000, 1000000};
    const int32_t step[2] = {12, 12};
    int64_t level[2];
    pursue_residuals(2, best, step, level, analysis_test::frame_buffer());
    EXPECT_GT(level[0], 900000);
    EXPECT_EQ(level[1], 0);
}

TEST(ResidualPursuit, ResidualOfExactlyHalfTheSlidingPowerIsKept)
{
    make_hand_tables(2);
    const std::vector<int32_t> frame = cycle_frame(1000);
    analysis_test::load_frame(frame);
    FrameBuffer& buffer = analysis_test::frame_buffer();
    int32_t a = 0, b = 0;
    const int64_t residual = residual_correlation(buffer, 0, 12, a, b);
    ASSERT_GT(residual, 0);
    // A weak second note reads the frame after the first one: the fitted sinusoid must
    // have been removed from what it reads.
    const int32_t step[2] = {12, 12};
    int64_t level[2];

    const int64_t exactly_half[2] = {2 * residual, 1};
    pursue_residuals(2, exactly_half, step, level, buffer);
    EXPECT_EQ(level[0], residual);
    EXPECT_NE(buffer.samples, frame);  // fitted sinusoid removed
    EXPECT_EQ(level[1], 0);

    analysis_test::load_frame(frame);
    const int64_t less_than_half[2] = {2 * residual + 1, 1};
    pursue_residuals(2, less_than_half, step, level, buffer);
    EXPECT_EQ(level[0], 0);
    EXPECT_EQ(buffer.samples, frame);  // nothing removed
}

} // namespace
