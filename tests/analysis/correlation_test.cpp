#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/correlation.h"
#include "analysis/correlation_kernels.h"
#include "analysis/sliding_search.h"
#include "analysis_test_support.h"
#include "reference_kernels.h"
#include "signal/wav_synth.h"

namespace {

std::vector<int32_t> random_frame(std::mt19937& rng, size_t size, int32_t limit)
{
    std::uniform_int_distribution<int32_t> value(-limit, limit);
    std::vector<int32_t> frame(size);
    for (int32_t& v : frame)
        v = value(rng);
    return frame;
}

// Table entries over the whole int16 range, the extremes included, followed by the repeat
// of the window's start that the tables of a run have.
std::vector<int16_t> random_table(std::mt19937& rng, int32_t length)
{
    std::uniform_int_distribution<int32_t> value(-32768, 32767);
    std::vector<int16_t> table(static_cast<size_t>(length));
    for (int16_t& v : table)
        v = static_cast<int16_t>(value(rng));
    table[0] = -32768;
    table.back() = 32767;
    for (int32_t t = 0; t < WINDOW_REPEAT; ++t)
        table.push_back(table[static_cast<size_t>(t % length)]);
    return table;
}

class EveryKernelSet : public ::testing::TestWithParam<const CorrelationKernels*> {
protected:
    void TearDown() override { use_correlation_kernels(nullptr); }
    const CorrelationKernels& k() const { return *GetParam(); }
};

TEST_P(EveryKernelSet, CorrelateAndSubtractMatchTheDefinitionsAcrossTheNarrowRange)
{
    std::mt19937 rng(17);
    for (int32_t length : {16, 17, 31, 164, 1603, 4096}) {
        const std::vector<int16_t> sine = random_table(rng, length);
        const std::vector<int16_t> cosine = random_table(rng, length);
        const TableWindow window{sine.data(), cosine.data(), length};
        for (int32_t limit : {1, 32768, static_cast<int32_t>(NARROW_FRAME_LIMIT)}) {
            std::vector<int32_t> frame = random_frame(rng, 4096 + 7, limit);
            frame[1] = -limit;
            // A window ahead (here the same tables) changes nothing but what is cached.
            for (const TableWindow& ahead : {TableWindow{}, window}) {
                EXPECT_EQ(k().correlate(frame.data(), window, ahead), reference::plain_correlate(frame.data(), window, {}))
                    << length << " " << limit;
            }
            // One run cut short, one whole, the next cut after a lane or a few, many runs.
            for (int32_t count : {0, 5, length - 1, length, length + 1, 2 * length + 3, 4096 + 7}) {
                count = std::min(count, 4096 + 7);
                // amplitudes that keep the results within 32 bits
                const int32_t reach = std::min<int32_t>(limit, 16000);
                const int32_t a = std::uniform_int_distribution<int32_t>(-reach, reach)(rng);
                const int32_t b = std::uniform_int_distribution<int32_t>(-reach, reach)(rng);
                std::vector<int32_t> expected = frame;
                const int64_t expected_peak = reference::plain_subtract(expected.data(), count, window, a, b, nullptr);
                std::vector<int32_t> got = frame;
                std::vector<int32_t> fitted(static_cast<size_t>(length));  // exactly the room asked for
                EXPECT_EQ(k().subtract(got.data(), count, window, a, b, fitted.data()), expected_peak);
                EXPECT_EQ(got, expected) << length << " " << limit << " " << count;
            }
        }
    }
}

// Every remainder of the window length mod 16 (the entering samples' offset in the blocks of
// products), whole blocks, the longest windows; step counts around a group of 16 and long runs;
// phases at the table's start, just before its end and anywhere.
TEST_P(EveryKernelSet, SlideMatchesTheDefinitionForEveryCutOfTheBlocks)
{
    std::mt19937 rng(29);
    std::uniform_int_distribution<int32_t> sample(-32768, 32767);
    std::vector<int32_t> lengths = {48, 1600, 1603, 4096};
    for (int32_t length = 16; length <= 32; ++length)
        lengths.push_back(length);
    for (int32_t length : lengths) {
        const std::vector<int16_t> sine = random_table(rng, length);
        const std::vector<int16_t> cosine = random_table(rng, length);
        const TableWindow window{sine.data(), cosine.data(), length};
        for (int32_t steps : {0, 1, 15, 16, 17, 33, 300}) {
            // Exactly the samples the slide may read, and exactly its scratch: a read or write
            // past either is caught by the sanitizer build.
            std::vector<int16_t> wave(static_cast<size_t>(16 * steps + length));
            for (int16_t& s : wave)
                s = static_cast<int16_t>(sample(rng));
            wave.front() = -32768;
            wave.back() = -32768;
            std::vector<int32_t> scratch(static_cast<size_t>(slide_scratch_size(length)));
            const int32_t anywhere = std::uniform_int_distribution<int32_t>(0, length - 1)(rng);
            for (int32_t phase : {0, length - 1, length - 9, anywhere}) {
                std::vector<int32_t> expected_sine(static_cast<size_t>(steps)), expected_cosine(expected_sine);
                reference::plain_slide(wave.data(), window, phase, steps, expected_sine.data(), expected_cosine.data(),
                                       nullptr);
                std::vector<int32_t> got_sine(expected_sine.size()), got_cosine(expected_sine.size());
                k().slide(wave.data(), window, phase, steps, got_sine.data(), got_cosine.data(), scratch.data());
                ASSERT_EQ(got_sine, expected_sine) << length << " " << steps << " " << phase;
                ASSERT_EQ(got_cosine, expected_cosine) << length << " " << steps << " " << phase;
            }
        }
    }
}

TEST_P(EveryKernelSet, PickMatchesTheDefinition)
{
    std::mt19937 rng(23);
    std::uniform_int_distribution<int32_t> sample(-32768, 32767);
    for (int32_t length : {16, 17, 31, 164, 1603, 4096}) {
        const std::vector<int16_t> sine = random_table(rng, length);
        const std::vector<int16_t> cosine = random_table(rng, length);
        for (int32_t steps : {1, 7, 16, 33, 70}) {
            std::vector<int16_t> wave(static_cast<size_t>(16 * steps + length));
            for (int16_t& s : wave)
                s = static_cast<int16_t>(sample(rng));
            wave[3] = -32768;
            const int32_t phase = std::uniform_int_distribution<int32_t>(0, length - 1)(rng);
            std::vector<int32_t> expected_sine(static_cast<size_t>(steps)), expected_cosine(expected_sine);
            const TableWindow window{sine.data(), cosine.data(), length};
            reference::plain_slide(wave.data(), window, phase, steps, expected_sine.data(), expected_cosine.data(),
                                   nullptr);

            // Running sums from a start of either sign, against bests some of which win.
            std::vector<double> expected_best(expected_sine.size());
            for (double& v : expected_best)
                v = static_cast<double>(std::uniform_int_distribution<int64_t>(0, int64_t{1} << 34)(rng));
            std::vector<int32_t> expected_step(expected_sine.size(), 12);
            std::vector<double> got_best = expected_best;
            std::vector<int32_t> got_step = expected_step;
            // (sums as 16-bit samples can make them: at most length * 2^16 in magnitude)
            double expected_sums[2] = {-32768.0 * length, 65535.0 * length - 50 * 65536.0};
            double got_sums[2] = {expected_sums[0], expected_sums[1]};
            reference::plain_pick(expected_sine.data(), expected_cosine.data(), steps, length, expected_sums[0],
                                  expected_sums[1], 5, expected_best.data(), expected_step.data());
            k().pick(expected_sine.data(), expected_cosine.data(), steps, length, got_sums[0], got_sums[1], 5,
                     got_best.data(), got_step.data());
            EXPECT_EQ(got_best, expected_best) << length << " " << steps;
            EXPECT_EQ(got_step, expected_step) << length << " " << steps;
            EXPECT_EQ(got_sums[0], expected_sums[0]);
            EXPECT_EQ(got_sums[1], expected_sums[1]);
        }
    }
}

// Short and long windows: the top notes (a few cycles of ~10 samples) and low ones cut to
// the frame.
void build_mixed_tables()
{
    analysis_test::use_keys(40, 108, 256);
    analysis_test::build_tables();
}

TEST_P(EveryKernelSet, ResidualAndSubtractionMatchTheReferenceFromNarrowToFull32BitFrames)
{
    use_correlation_kernels(GetParam());
    build_mixed_tables();
    std::mt19937 rng(1234);
    const int32_t note_count = analysis_tables.grid.note_count;
    FrameBuffer& buffer = analysis_test::frame_buffer();
    for (int32_t limit : {32767, 65535, 2000000, 2147483647}) {
        for (int round = 0; round < 20; ++round) {
            std::vector<int32_t> frame = random_frame(rng, 256, limit);
            analysis_test::load_frame(frame);
            const int32_t i = std::uniform_int_distribution<int32_t>(0, note_count - 1)(rng);
            const int32_t j = std::uniform_int_distribution<int32_t>(0, 23)(rng);
            reference::Correlation got;
            got.power = residual_correlation(buffer, i, j, got.a, got.b);
            const reference::Correlation r = reference::residual(frame, i, j);
            EXPECT_EQ(got, r);
            subtract_sinusoid(buffer, i, j, r.a, r.b);
            reference::subtract(frame, i, j, r.a, r.b);
            EXPECT_EQ(buffer.samples, frame) << limit << " " << i << " " << j;
        }
    }
}

TEST_P(EveryKernelSet, SubtractionSaturatesInsteadOfWrapping)
{
    use_correlation_kernels(GetParam());
    build_mixed_tables();
    std::vector<int32_t> frame(256, 2147483000);
    analysis_test::load_frame(frame);
    subtract_sinusoid(analysis_test::frame_buffer(), 0, 12, -2147483647, -2147483647);
    reference::subtract(frame, 0, 12, -2147483647, -2147483647);
    EXPECT_EQ(analysis_test::frame_buffer().samples, frame);
    EXPECT_EQ(*std::max_element(frame.begin(), frame.end()), 2147483647);
}

TEST_P(EveryKernelSet, SlidingSearchEqualsFullRecomputationInEveryFrameAndBatch)
{
    use_correlation_kernels(GetParam());
    build_mixed_tables();
    std::mt19937 rng(99);
    std::uniform_int_distribution<int32_t> sample(-32768, 32767);
    std::vector<int16_t> wave(256 + 16 * 304);
    for (int16_t& s : wave)
        s = static_cast<int16_t>(sample(rng));
    const std::vector<int32_t> first(wave.begin(), wave.begin() + 256);
    const int32_t notes[] = {0, 1, 34, 68};
    SlidingBatch batch;
    prepare_sliding_batch(batch, analysis_tables.grid.note_count, 64);
    SlidingScratch scratch(64, longest_window_length());
    std::vector<int32_t> change_sum(64);
    int64_t previous[69] = {};
    // Batches of varying size, the sums carried from each to the next.
    int32_t frame = 0;
    for (int32_t size : {1, 64, 17, 64, 3, 64, 64, 27}) {
        batch.first_frame = frame;
        batch.frame_count = size;
        for (int32_t i : notes)
            search_note(wave.data(), first.data(), i, batch, previous[i], scratch, change_sum.data());
        for (int32_t f = 0; f < size; ++f) {
            const int32_t position = 16 * (frame + f);
            const std::vector<int32_t> samples(wave.begin() + position, wave.begin() + position + 256);
            for (int32_t i : notes) {
                int64_t best = 0;
                int32_t best_step = 12;
                for (int32_t j = 0; j < 24; ++j) {
                    const int64_t power = reference::sliding(samples, i, j, position).power;
                    if (power > best) {
                        best = power;
                        best_step = j;
                    }
                }
                ASSERT_EQ(static_cast<int64_t>(batch.best_power[batch.at(i, f)]), best) << "frame " << frame + f;
                ASSERT_EQ(batch.best_step[batch.at(i, f)], best_step) << "frame " << frame + f;
            }
        }
        frame += size;
    }
}

std::string kernel_name(const ::testing::TestParamInfo<const CorrelationKernels*>& info)
{
    return info.param->name;
}

std::vector<const CorrelationKernels*> every_set()
{
    std::vector<const CorrelationKernels*> sets(available_correlation_kernels().begin(),
                                                available_correlation_kernels().end());
    sets.push_back(&reference::plain_kernels);
    return sets;
}

INSTANTIATE_TEST_SUITE_P(Kernels, EveryKernelSet, ::testing::ValuesIn(every_set()), kernel_name);

TEST(CorrelationKernels, FastestSetIsChosenUnlessOneIsNamed)
{
    EXPECT_EQ(&correlation_kernels(), available_correlation_kernels().back());
    EXPECT_STREQ(available_correlation_kernels().front()->name, "portable");
    use_correlation_kernels(&reference::plain_kernels);
    EXPECT_EQ(&correlation_kernels(), &reference::plain_kernels);
    use_correlation_kernels(nullptr);
    EXPECT_EQ(&correlation_kernels(), available_correlation_kernels().back());
}

TEST(CorrelationKernels, AmplitudesTruncateTowardZeroForAnySums)
{
    const int64_t limit = int64_t{1} << 51;
    for (int32_t length : {16, 1603, 32768}) {
        for (int64_t sum : {int64_t{0}, int64_t{-1}, int64_t{7}, int64_t{length} * 3 / 2, -int64_t{length} * 5 / 2 - 1,
                            limit - 1, -(limit - 1), limit, -limit, (limit << 1) + 12345, -(limit << 1) - 1}) {
            int32_t a = 0, b = 0;
            const int64_t power = power_from_sums(sum, -sum / 3, length, a, b);
            const int32_t expected_a = reference::saturate32(2 * sum / length);
            const int32_t expected_b = reference::saturate32(2 * (-sum / 3) / length);
            EXPECT_EQ(a, expected_a) << sum << " " << length;
            EXPECT_EQ(b, expected_b) << sum << " " << length;
            EXPECT_EQ(power, int64_t{expected_a} * expected_a + int64_t{expected_b} * expected_b);
        }
    }
}

// Narrow sums (below length * 2^17) give the amplitudes of the division by multiplying:
// whole quotients, those just beside them, and the largest, for short and long windows
// (2.0 / 1003 is rounded down so far that 1003 times it falls below 2).
TEST(CorrelationKernels, NarrowAmplitudesEqualTheDividedOnes)
{
    for (int32_t length : {16, 17, 1003, 1603, 4095, 32768}) {
        const int64_t most = int64_t{length} << 17;
        std::vector<int64_t> sums = {0, 1, -1, most - 1, -(most - 1)};
        for (int64_t k : {int64_t{1}, int64_t{2}, int64_t{3}, int64_t{12345}, (int64_t{1} << 18) - 1}) {
            const int64_t whole = k * length / 2;  // 2 * whole / length is k or just below
            for (int64_t sum : {whole - 1, whole, whole + 1})
                sums.insert(sums.end(), {sum, -sum});
        }
        for (int64_t sum : sums) {
            if (sum >= most || sum <= -most)
                continue;
            int32_t a = 0, b = 0, expected_a = 0, expected_b = 0;
            const int64_t power = narrow_power_from_sums(sum, -sum / 3, 2.0 / length, a, b);
            EXPECT_EQ(power, power_from_sums(sum, -sum / 3, length, expected_a, expected_b)) << sum << " " << length;
            EXPECT_EQ(a, expected_a) << sum << " " << length;
            EXPECT_EQ(b, expected_b) << sum << " " << length;
        }
    }
}

TEST(CorrelationKernels, FittedSineIsRemovedAlmostCompletely)
{
    analysis_test::use_keys(62, 76);
    analysis_test::build_tables();
    const auto tone = synth::sine(440, 8000, 4096);
    analysis_test::load_frame(analysis_test::widen(tone));
    FrameBuffer& frame = analysis_test::frame_buffer();
    int32_t a = 0, b = 0;
    const int64_t power = residual_correlation(frame, 69 - 62, 12, a, b);
    EXPECT_NEAR(static_cast<double>(power), 64e6, 0.02 * 64e6);
    subtract_sinusoid(frame, 69 - 62, 12, a, b);
    int32_t a2 = 0, b2 = 0;
    EXPECT_LT(residual_correlation(frame, 69 - 62, 12, a2, b2), 100);
}

} // namespace
