#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/correlation.h"
#include "analysis/frame_analysis.h"
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
    t.sine.assign(total * HAND_WINDOW, 0);
    t.cosine.assign(total * HAND_WINDOW, 0);
    for (size_t p = 0; p < total; ++p) {
        t.table_offset[p] = static_cast<int32_t>(p) * HAND_WINDOW;
        const int32_t step = static_cast<int32_t>(p % 24);
        if (std::find(silent_steps.begin(), silent_steps.end(), step) != silent_steps.end())
            continue;
        for (int32_t s = 0; s < HAND_WINDOW; ++s) {
            t.sine[p * HAND_WINDOW + s] = static_cast<int16_t>(std::lround(16384 * std::sin(2 * M_PI * s / HAND_WINDOW)));
            t.cosine[p * HAND_WINDOW + s] = static_cast<int16_t>(std::lround(16384 * std::cos(2 * M_PI * s / HAND_WINDOW)));
        }
    }
    t.frame.assign(32, 0);
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

TEST(FinePitchSearch, TiesGoToTheLowestStepAndSilenceKeepsStep12)
{
    make_hand_tables(2, {0, 1, 2});
    analysis_test::load_frame(cycle_frame(1000));
    int64_t power[2];
    int32_t step[2];
    search_fine_pitches(2, 0, 0, 0, power, step);
    EXPECT_EQ(step[0], 3);
    EXPECT_GT(power[0], 900000);

    analysis_test::load_frame(std::vector<int32_t>(32, 0));
    search_fine_pitches(2, 0, 0, 0, power, step);
    EXPECT_EQ(step[0], 12);
    EXPECT_EQ(power[0], 0);
}

TEST(SpectralChange, AveragesPerNoteChangesIn64Bits)
{
    AnalysisState state;
    // 64e6 from nothing: d * 1000 / s = 1000, which 32-bit arithmetic would wrap.
    const int64_t loud[3] = {64000000, 0, 0};
    EXPECT_EQ(spectral_change(3, loud, state), 333);
    EXPECT_EQ(state.prev_power[0], 64000000);
    const int64_t half[3] = {32000000, 0, 0};
    EXPECT_EQ(spectral_change(3, half, state), 111);  // 32e6 * 1000 / 96e6 = 333, / 3
    EXPECT_EQ(spectral_change(3, half, state), 0);
    EXPECT_EQ(spectral_change(0, half, state), 0);
}

TEST(ResidualPursuit, LowerNoteWinsTiesAndTakesTheSharedSinusoid)
{
    make_hand_tables(2);
    analysis_test::load_frame(cycle_frame(1000));
    const int64_t best[2] = {1000000, 1000000};
    const int32_t step[2] = {12, 12};
    int64_t level[2];
    pursue_residuals(2, best, step, level);
    EXPECT_GT(level[0], 900000);
    EXPECT_EQ(level[1], 0);
}

TEST(ResidualPursuit, ResidualOfExactlyHalfTheSlidingPowerIsKept)
{
    make_hand_tables(1);
    const std::vector<int32_t> frame = cycle_frame(1000);
    analysis_test::load_frame(frame);
    int32_t a = 0, b = 0;
    const int64_t residual = residual_correlation(0, 12, a, b);
    ASSERT_GT(residual, 0);
    const int32_t step[1] = {12};
    int64_t level[1];

    const int64_t exactly_half[1] = {2 * residual};
    pursue_residuals(1, exactly_half, step, level);
    EXPECT_EQ(level[0], residual);
    EXPECT_NE(analysis_tables.frame, frame);  // fitted sinusoid removed

    analysis_test::load_frame(frame);
    const int64_t less_than_half[1] = {2 * residual + 1};
    pursue_residuals(1, less_than_half, step, level);
    EXPECT_EQ(level[0], 0);
    EXPECT_EQ(analysis_tables.frame, frame);  // nothing removed
}

TEST(AnalyseFrame, SteadyToneIsSkippedUnlessForced)
{
    analysis_test::use_keys(62, 76);
    analysis_test::build_tables();
    const auto tone = synth::sine(440, 8000, 4096 + 32);
    AnalysisState state;
    std::vector<FrameNoteRecord> out(15);
    ASSERT_EQ(analyse_frame(tone.data(), out.data(), 0, 0, 16, 1, state), 15);
    for (int32_t i = 0; i < 15; ++i) {
        EXPECT_EQ(out[i].note, 62 + i);
        if (62 + i == 69) {
            EXPECT_EQ(out[i].fine_step, 12);
            EXPECT_EQ(out[i].continuity, 0);
            EXPECT_GT(out[i].level, 12000);
        } else {
            EXPECT_EQ(out[i].level, 0) << 62 + i;
        }
    }
    EXPECT_EQ(analyse_frame(tone.data() + 16, out.data(), 16, 16, 16, 0, state), -1);
    ASSERT_EQ(analyse_frame(tone.data() + 32, out.data(), 32, 16, 0, 1, state), 15);
    EXPECT_EQ(out[69 - 62].continuity, 1);
}

} // namespace
