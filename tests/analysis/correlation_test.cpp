#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "analysis/correlation.h"
#include "analysis_test_support.h"
#include "reference_kernels.h"
#include "signal/wav_synth.h"

namespace {

reference::Correlation production_sliding(int32_t i, int32_t j, int32_t position, int32_t advance, int32_t retire)
{
    reference::Correlation r;
    r.power = sliding_correlation(i, j, position, advance, retire, r.a, r.b);
    return r;
}

reference::Correlation production_residual(int32_t i, int32_t j)
{
    reference::Correlation r;
    r.power = residual_correlation(i, j, r.a, r.b);
    return r;
}

std::vector<int32_t> random_frame(std::mt19937& rng, size_t size, int32_t limit)
{
    std::uniform_int_distribution<int32_t> value(-limit, limit);
    std::vector<int32_t> frame(size);
    for (int32_t& v : frame)
        v = value(rng);
    return frame;
}

// Short and long windows: the top notes (a few cycles of ~10 samples) and low ones cut to
// the frame.
void build_mixed_tables()
{
    analysis_test::use_keys(40, 108, 256);
    analysis_test::build_tables();
}

TEST(CorrelationKernels, MatchTheReferenceOnRandomFrames)
{
    build_mixed_tables();
    std::mt19937 rng(1234);
    const int32_t note_count = analysis_tables.grid.note_count;
    for (int32_t limit : {32767, 2000000, 2147483647}) {
        for (int round = 0; round < 20; ++round) {
            std::vector<int32_t> frame = random_frame(rng, 256, limit);
            analysis_test::load_frame(frame);
            const int32_t i = std::uniform_int_distribution<int32_t>(0, note_count - 1)(rng);
            const int32_t j = std::uniform_int_distribution<int32_t>(0, 23)(rng);
            const int32_t position = std::uniform_int_distribution<int32_t>(0, 1 << 30)(rng);
            EXPECT_EQ(production_sliding(i, j, position, 0, 0), reference::sliding(frame, i, j, position));
            const reference::Correlation r = reference::residual(frame, i, j);
            EXPECT_EQ(production_residual(i, j), r);
            subtract_sinusoid(i, j, r.a, r.b);
            reference::subtract(frame, i, j, r.a, r.b);
            EXPECT_EQ(analysis_tables.frame, frame) << limit << " " << i << " " << j;
        }
    }
}

TEST(CorrelationKernels, SubtractionSaturatesInsteadOfWrapping)
{
    build_mixed_tables();
    std::vector<int32_t> frame(256, 2147483000);
    analysis_test::load_frame(frame);
    subtract_sinusoid(0, 12, -2147483647, -2147483647);
    reference::subtract(frame, 0, 12, -2147483647, -2147483647);
    EXPECT_EQ(analysis_tables.frame, frame);
    EXPECT_EQ(*std::max_element(frame.begin(), frame.end()), 2147483647);
}

TEST(CorrelationKernels, SlidingEqualsFullRecomputationAfterAnyNumberOfSteps)
{
    build_mixed_tables();
    std::mt19937 rng(99);
    std::uniform_int_distribution<int32_t> sample(-32768, 32767);
    std::vector<int16_t> wave(256 + 16 * 300);
    for (int16_t& s : wave)
        s = static_cast<int16_t>(sample(rng));
    const int32_t checked[][2] = {{0, 0}, {0, 23}, {34, 12}, {68, 0}, {68, 23}};
    for (int32_t k = 0; k < 300; ++k) {
        const int32_t position = 16 * k;
        const std::vector<int32_t> frame(wave.begin() + position, wave.begin() + position + 256);
        analysis_test::load_frame(frame);
        for (const auto& c : checked) {
            const reference::Correlation got = production_sliding(c[0], c[1], position, k == 0 ? 0 : 16, 16);
            ASSERT_EQ(got, reference::sliding(frame, c[0], c[1], position)) << "frame " << k;
        }
    }
}

TEST(CorrelationKernels, FittedSineIsRemovedAlmostCompletely)
{
    analysis_test::use_keys(62, 76);
    analysis_test::build_tables();
    const auto tone = synth::sine(440, 8000, 4096);
    analysis_test::load_frame(analysis_test::widen(tone));
    int32_t a = 0, b = 0;
    const int64_t power = residual_correlation(69 - 62, 12, a, b);
    EXPECT_NEAR(static_cast<double>(power), 64e6, 0.02 * 64e6);
    subtract_sinusoid(69 - 62, 12, a, b);
    int32_t a2 = 0, b2 = 0;
    EXPECT_LT(residual_correlation(69 - 62, 12, a2, b2), 100);
}

} // namespace
