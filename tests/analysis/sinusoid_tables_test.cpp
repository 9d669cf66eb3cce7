#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "analysis/sinusoid_tables.h"
#include "analysis_test_support.h"
#include "core/status.h"

namespace {

using analysis_test::fine_index;

// One window written straight from its definition: the reference averaged over half a sample
// around each sample's phase, then the window's mean removed.
struct PlainWindow {
    std::vector<int16_t> sine;
    std::vector<int16_t> cosine;
    double sine_mean = 0;
    double cosine_mean = 0;
};

PlainWindow plain_window(double period, int32_t length)
{
    std::vector<double> rs(32768), rc(32768);
    for (int k = 0; k < 32768; ++k) {
        rs[k] = 16384 * std::sin(k * 0.0001917475984802246);
        rc[k] = 16384 * std::cos(k * 0.0001917475984802246);
    }
    const double e = 32768 / period;
    std::vector<double> s(length), c(length);
    for (int t = 0; t < length; ++t) {
        int lo = static_cast<int>(t * e - e * 0.25);
        int hi = static_cast<int>(t * e + e * 0.25);
        if (lo < 0)
            lo += 32768;
        if (lo > 32767)
            lo %= 32768;
        if (hi > 32767)
            hi %= 32768;
        std::vector<int> span;
        if (lo <= hi) {
            for (int k = lo; k <= hi; ++k)
                span.push_back(k);
        } else {
            for (int k = lo; k < 32768; ++k)
                span.push_back(k);
            for (int k = 0; k <= hi; ++k)
                span.push_back(k);
        }
        double ss = 0, cs = 0;
        for (int k : span) {
            ss += rs[k];
            cs += rc[k];
        }
        s[t] = ss / static_cast<double>(span.size());
        c[t] = cs / static_cast<double>(span.size());
    }
    double ms = 0, mc = 0;
    for (int t = 0; t < length; ++t) {
        ms += s[t];
        mc += c[t];
    }
    ms /= length;
    mc /= length;
    PlainWindow w;
    w.sine_mean = ms;
    w.cosine_mean = mc;
    for (int t = 0; t < length; ++t) {
        w.sine.push_back(static_cast<int16_t>(static_cast<int>(s[t] - ms)));
        w.cosine.push_back(static_cast<int16_t>(static_cast<int>(c[t] - mc)));
    }
    return w;
}

// The window of fine pitch `fine` and the entries after it, which must repeat its start.
std::vector<int16_t> table_window(std::span<const int16_t> table, int32_t fine)
{
    const auto offset = analysis_tables.table_offset[fine];
    const int32_t length = analysis_tables.window_length[fine];
    for (int32_t t = 0; t < WINDOW_REPEAT; ++t)
        EXPECT_EQ(table[static_cast<size_t>(offset + length + t)], table[static_cast<size_t>(offset + t % length)]);
    return std::vector<int16_t>(table.begin() + offset, table.begin() + offset + length);
}

TEST(PitchGrid, CoversKeyRangeWithTwentyFourFinePitchesPerNote)
{
    struct Case {
        int32_t key_min, key_max, notes;
    } cases[] = {{21, 108, 88}, {60, 60, 1}, {0, 127, 128}, {70, 69, 0}};
    for (const Case& c : cases) {
        analysis_test::use_keys(c.key_min, c.key_max);
        build_pitch_grid();
        const PitchGrid& g = analysis_tables.grid;
        EXPECT_EQ(g.note_count, c.notes) << c.key_min;
        EXPECT_EQ(g.total_fine, 24 * c.notes);
        for (int32_t i = 0; i < g.note_count; ++i) {
            EXPECT_EQ(g.midi_note[i], c.key_min + i);
            EXPECT_EQ(g.fine_count[i], 24);
            EXPECT_EQ(g.first_fine[i], 24 * i);
        }
    }
}

TEST(WindowPlan, DefaultsGiveTheDocumentedWindows)
{
    analysis_test::use_keys(21, 108);
    build_pitch_grid();
    plan_sinusoid_windows();
    struct Row {
        int32_t note, step;
        double period;
        int32_t window;
    } rows[] = {
        {21, 0, 1650.626, 3301}, {21, 12, 1603.636, 3207}, {60, 12, 168.562, 2696},
        {69, 12, 100.227, 1603}, {108, 12, 10.535, 168},  {108, 23, 10.260, 164},
    };
    for (const Row& r : rows) {
        const int32_t p = fine_index(r.note, r.step);
        EXPECT_NEAR(analysis_tables.period[p], r.period, 0.0005) << r.note << "/" << r.step;
        EXPECT_EQ(analysis_tables.window_length[p], r.window) << r.note << "/" << r.step;
    }
    int32_t running = 0;
    for (int32_t p = 0; p < analysis_tables.grid.total_fine; ++p) {
        EXPECT_EQ(analysis_tables.table_offset[p], running);
        running += analysis_tables.window_length[p] + WINDOW_REPEAT;
    }
    for (int32_t note = 21; note <= 108; ++note)
        EXPECT_EQ(note_window_length[note], analysis_tables.window_length[fine_index(note, 12)]);
    ASSERT_EQ(analysis_tables.frames.size(), 1u);
    EXPECT_EQ(analysis_tables.frames[0].samples.size(), 4096u);
    EXPECT_EQ(analysis_tables.sliding_sine.size(), 2112u);
}

TEST(WindowPlan, EdgeSettings)
{
    // A period longer than the frame: one cycle, cut to the frame.
    analysis_test::use_keys(21, 21, 1024);
    build_pitch_grid();
    plan_sinusoid_windows();
    for (int32_t j = 0; j < 24; ++j)
        EXPECT_EQ(analysis_tables.window_length[j], 1024);

    // No cycles allowed: every window is raised to the shortest length a step needs, and a
    // negative limit gives the same windows.
    for (int32_t limit : {0, -5, -2000000000}) {
        analysis_test::use_keys(21, 108);
        conversion_settings.MAX_ANAL_CYCLE = limit;
        build_pitch_grid();
        plan_sinusoid_windows();
        for (int32_t p = 0; p < analysis_tables.grid.total_fine; ++p) {
            const int32_t length = analysis_tables.window_length[p];
            const double period = analysis_tables.period[p];
            EXPECT_GE(length, 16);
            // the fewest whole cycles reaching 16 samples
            const int32_t cycles = period >= 16 ? 1 : static_cast<int32_t>(std::ceil(16 / period));
            EXPECT_EQ(length, static_cast<int32_t>(cycles * period)) << limit << " " << p;
        }
    }

    // Refused settings leave the tables empty.
    analysis_test::use_keys(60, 61, 16);
    build_pitch_grid();
    plan_sinusoid_windows();
    EXPECT_TRUE(analysis_tables.window_length.empty());
    EXPECT_TRUE(analysis_tables.frames.empty());
}

TEST(SinusoidTables, WindowsMatchTheirDefinitionWithAnyNumberOfWorkers)
{
    for (int32_t workers : {1, 2, 3}) {
        analysis_test::use_keys(104, 108, 1024);
        build_pitch_grid();
        plan_sinusoid_windows();
        WorkerPool pool(workers);
        build_sinusoid_tables(&pool);
        ASSERT_EQ(analysis_tables.sine.size(), static_cast<size_t>(analysis_tables.table_offset.back() +
                                                                   analysis_tables.window_length.back() + WINDOW_REPEAT));
        for (int32_t p = 0; p < analysis_tables.grid.total_fine; p += 7) {
            const PlainWindow w = plain_window(analysis_tables.period[p], analysis_tables.window_length[p]);
            EXPECT_EQ(table_window(analysis_tables.sine, p), w.sine) << workers << " " << p;
            EXPECT_EQ(table_window(analysis_tables.cosine, p), w.cosine) << workers << " " << p;
        }
    }
}

TEST(SinusoidTables, WindowsAreSmoothedSinusoidsStartingAtPhaseZero)
{
    analysis_test::use_keys(69, 69);
    analysis_test::build_tables();
    for (int32_t p : {0, 12, 23}) {
        const double period = analysis_tables.period[p];
        // averaging over half a sample scales the amplitude by sinc(pi / (2 period))
        const double half_width = M_PI / (2 * period);
        const double amplitude = 16384 * std::sin(half_width) / half_width;
        const auto sine = table_window(analysis_tables.sine, p);
        const auto cosine = table_window(analysis_tables.cosine, p);
        for (size_t t = 0; t < sine.size(); ++t) {
            const double phase = 2 * M_PI * static_cast<double>(t) / period;
            EXPECT_NEAR(sine[t], amplitude * std::sin(phase), 12) << p << " " << t;
            EXPECT_NEAR(cosine[t], amplitude * std::cos(phase), 12) << p << " " << t;
        }
    }
}

TEST(SinusoidTables, FirstSampleOfAWindowWithANarrowSpanIsTheReferenceStart)
{
    // A period above 8192 samples makes the span at t = 0 the single entry 0:
    // raw sine 0 and raw cosine 16384 before the window's mean is removed.
    analysis_test::use_keys(21, 21, 32768);
    build_pitch_grid();
    plan_sinusoid_windows();
    analysis_tables.period[0] = 9000;
    build_sinusoid_tables();
    const PlainWindow w = plain_window(9000, analysis_tables.window_length[0]);
    EXPECT_EQ(table_window(analysis_tables.sine, 0), w.sine);
    EXPECT_EQ(table_window(analysis_tables.cosine, 0), w.cosine);
    EXPECT_EQ(analysis_tables.sine[0], static_cast<int16_t>(static_cast<int>(0.0 - w.sine_mean)));
    EXPECT_EQ(analysis_tables.cosine[0], static_cast<int16_t>(static_cast<int>(16384.0 - w.cosine_mean)));
}

TEST(SinusoidTables, ReportProgressPerNoteBelowOneHundred)
{
    static std::vector<std::string> texts;
    texts.clear();
    analysis_test::use_keys(104, 108, 1024);
    progress_window_hook = [](const char* text) { texts.emplace_back(text); };
    build_pitch_grid();
    plan_sinusoid_windows();
    WorkerPool pool(2);  // reports still come from this thread, one per note, in order
    build_sinusoid_tables(&pool);
    progress_window_hook = nullptr;
    const std::vector<std::string> expected = {"正弦波テーブル作成：0 [%]", "正弦波テーブル作成：20 [%]",
                                               "正弦波テーブル作成：40 [%]", "正弦波テーブル作成：60 [%]",
                                               "正弦波テーブル作成：80 [%]"};
    EXPECT_EQ(texts, expected);
}

TEST(SinusoidTables, FreeReleasesEverythingButTheWindowLengths)
{
    analysis_test::use_keys(100, 101, 1024);
    analysis_test::build_tables();
    const int32_t kept = note_window_length[100];
    free_analysis_tables();
    EXPECT_EQ(analysis_tables.grid.note_count, 0);
    EXPECT_TRUE(analysis_tables.sine.empty());
    EXPECT_TRUE(analysis_tables.frames.empty());
    EXPECT_TRUE(analysis_tables.sliding_sine.empty());
    EXPECT_EQ(note_window_length[100], kept);
}

} // namespace
