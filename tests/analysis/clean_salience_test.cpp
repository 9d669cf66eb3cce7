// Harmonic salience on one frame of hand-written levels: each row names what sounds, the
// analysis levels that show it, and the notes that must keep a salience.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "analysis/clean_salience.h"

namespace {

struct SalienceCase {
    std::string situation;
    std::vector<std::pair<int32_t, int32_t>> levels;  // note, analysis level
    std::vector<int32_t> expected;                     // notes with a salience, ascending
};

// The notes that keep a salience in frame g, ascending.
std::vector<int32_t> salient_in_frame(const LevelMatrix& m, int32_t g, const SalienceRules& rules = {})
{
    const LevelMatrix s = clean_salience(m, rules);
    std::vector<int32_t> notes;
    for (int32_t note = 0; note < MIDI_NOTE_COUNT; ++note) {
        if (s.at(note, g) > 0)
            notes.push_back(note);
    }
    return notes;
}

std::vector<int32_t> salient_notes(const SalienceCase& c)
{
    // Frame 1 holds the case; frame 0 a loud reference tone so the floor is fixed.
    LevelMatrix m = make_level_matrix(2, CLEAN_GRID_HOP);
    m.at(100, 0) = 9000;
    for (auto [note, level] : c.levels)
        m.at(note, 1) = level;
    return salient_in_frame(m, 1);
}

class SalienceTable : public ::testing::TestWithParam<SalienceCase> {};

TEST_P(SalienceTable, KeepsTheSoundingNotes)
{
    const SalienceCase& c = GetParam();
    EXPECT_EQ(salient_notes(c), c.expected) << c.situation;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, SalienceTable,
    ::testing::Values(
        SalienceCase{"a tone with falling partials is its fundamental alone",
                     {{48, 8000}, {60, 7000}, {67, 6500}, {72, 6000}, {76, 5500}}, {48}},
        SalienceCase{"a voice whose octave and twelfth outsound the fundamental is the fundamental",
                     {{53, 5000}, {65, 7000}, {72, 7500}, {77, 6500}, {81, 6000}}, {53}},
        SalienceCase{"a faint low note beneath a partial series is not its missing fundamental",
                     {{48, 1500}, {60, 8000}, {72, 6000}, {79, 5000}}, {60}},
        SalienceCase{"a note on a lower note's partial, far louder than the series, keeps its own",
                     {{48, 7000}, {60, 5000}, {67, 4500}, {72, 9000}, {84, 6000}}, {48, 72}},
        SalienceCase{"two notes a fifth apart with their octaves are both kept",
                     {{48, 8000}, {55, 8000}, {60, 6500}, {67, 6500}}, {48, 55}},
        SalienceCase{"levels far below the recording's are nothing", {{60, 2500}, {72, 2000}}, {}},
        SalienceCase{"an empty frame is nothing", {}, {}}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

TEST(SalienceAmplitude, LevelsAndAmplitudesConvertBothWays)
{
    // Compressed levels are amplitude^0.374: 16384 is the unit, and 70 % of a level is
    // about a quarter of its amplitude.
    EXPECT_EQ(level_amplitude(16384), int64_t{1} << 24);
    EXPECT_NEAR(static_cast<double>(level_amplitude(11469)) / level_amplitude(16384), 0.385, 0.005);
    EXPECT_EQ(level_amplitude(0), 0);
    EXPECT_EQ(level_amplitude(-5), 0);
    EXPECT_EQ(level_amplitude(99999), level_amplitude(32767));
    for (int32_t level = 300; level < 32768; level += 7) {
        ASSERT_LT(level_amplitude(level - 1), level_amplitude(level)) << level;
        ASSERT_EQ(amplitude_level(level_amplitude(level)), level) << level;
        ASSERT_EQ(amplitude_level(level_amplitude(level) - 1), level - 1) << level;
    }
    EXPECT_EQ(amplitude_level(int64_t{1} << 40), 32767);
}

TEST(SalienceMatrix, KeepsShapeAndWindowsAndIsEmptyForAnEmptyMatrix)
{
    LevelMatrix m = make_level_matrix(3, CLEAN_GRID_HOP);
    m.window_samples[60] = 2696;
    m.at(60, 1) = 8000;
    const LevelMatrix s = clean_salience(m, SalienceRules{});
    EXPECT_EQ(s.frame_count, 3);
    EXPECT_EQ(s.window_samples[60], 2696);
    EXPECT_EQ(s.at(60, 1), 8000);  // one pure tone is its own salience
    EXPECT_EQ(clean_salience(make_level_matrix(0, CLEAN_GRID_HOP), SalienceRules{}).frame_count, 0);
}

// A2 held over 20 frames with its partials A3 and E4; A3 at `a3_first` until frame 18 and
// at `a3_last` in frame 19.
std::vector<int32_t> salient_at_last_frame(int32_t a3_first, int32_t a3_last, const SalienceRules& rules)
{
    LevelMatrix m = make_level_matrix(20, CLEAN_GRID_HOP);
    for (int32_t g = 0; g < 20; ++g) {
        m.at(45, g) = 8000;
        m.at(57, g) = g < 19 ? a3_first : a3_last;
        m.at(64, g) = 4500;
    }
    return salient_in_frame(m, 19, rules);
}

TEST(SalienceHistory, APartialThatRisesWhileItsNoteHoldsIsANoteOfItsOwn)
{
    EXPECT_EQ(salient_at_last_frame(5000, 10000, SalienceRules{}), (std::vector<int32_t>{45, 57}));
    SalienceRules forgetful;
    forgetful.history_frames = 0;
    EXPECT_EQ(salient_at_last_frame(5000, 10000, forgetful), (std::vector<int32_t>{45}));
    // As loud all along: the held note's own partial.
    EXPECT_EQ(salient_at_last_frame(10000, 10000, SalienceRules{}), (std::vector<int32_t>{45}));
}

// A bass C3 with its octave C4 played above it: in the second frame C4's series just
// outweighs C3's. Taken first, C4 would explain the bass away.
TEST(SalienceContinuity, ANoteTakenInTheFrameBeforeKeepsItsPlace)
{
    LevelMatrix m = make_level_matrix(2, CLEAN_GRID_HOP);
    m.at(48, 0) = 8000;
    m.at(60, 0) = 6000;
    for (auto [note, level] : {std::pair{48, 4000}, {60, 8000}, {72, 6000}, {79, 5000}})
        m.at(note, 1) = level;
    EXPECT_EQ(salient_in_frame(m, 1), (std::vector<int32_t>{48, 60}));
    SalienceRules fickle;
    fickle.continuity_percent = 0;
    EXPECT_EQ(salient_in_frame(m, 1, fickle), (std::vector<int32_t>{60}));
}

// A bass C3 alone for two frames, then a louder F5 from frame 2 on: the bass, at about 35 %
// of the melody's salience, keeps its place through its onset, not for good.
TEST(SalienceOnset, ANoteJustBegunKeepsItsPlaceWhileALouderOneEnters)
{
    LevelMatrix m = make_level_matrix(40, CLEAN_GRID_HOP);
    for (int32_t g = 0; g < 40; ++g) {
        m.at(48, g) = 6100;
        m.at(77, g) = g >= 2 ? 9000 : 0;
    }
    EXPECT_EQ(salient_in_frame(m, 10), (std::vector<int32_t>{48, 77}));
    EXPECT_EQ(salient_in_frame(m, 30), (std::vector<int32_t>{77}));
    SalienceRules strict;
    strict.onset_stop_percent = strict.stop_percent;
    EXPECT_EQ(salient_in_frame(m, 10, strict), (std::vector<int32_t>{77}));
}

} // namespace
