// Onsets of slow attacks: a note found late in its rise starts where the rise began, or with
// the chord it belongs to.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/clean_onsets.h"

namespace {

constexpr int32_t HOP = CLEAN_GRID_HOP;
constexpr int32_t PITCH = 55;
constexpr int32_t WINDOW = 2000;

// The level of PITCH climbs linearly from `from_level` at frame `first` to `to_level` at
// frame `last` and holds there until frame 300.
struct Shape {
    int32_t first;
    int32_t last;
    int32_t from_level;
    int32_t to_level;
};

LevelMatrix shaped(const Shape& s)
{
    LevelMatrix m = make_level_matrix(300, HOP);
    m.window_samples[PITCH] = WINDOW;
    for (int32_t g = s.first; g < 300; ++g) {
        const int32_t span = std::max(1, s.last - s.first);
        m.at(PITCH, g) = g >= s.last ? s.to_level : s.from_level + (s.to_level - s.from_level) * (g - s.first) / span;
    }
    return m;
}

struct OnsetCase {
    std::string situation;
    Shape shape;
    int32_t found_frame;          // where the note rules placed the onset
    int32_t previous_end_frame;   // end of an earlier note of the pitch, -1 for none
    int64_t expected_start;       // samples
};

class OnsetTable : public ::testing::TestWithParam<OnsetCase> {};

TEST_P(OnsetTable, StartsWhereTheRiseBegan)
{
    const OnsetCase& c = GetParam();
    std::vector<CleanNote> notes = {{int64_t{c.found_frame} * HOP, 280 * HOP, PITCH, 6000, 0}};
    if (c.previous_end_frame >= 0)
        notes.push_back({0, int64_t{c.previous_end_frame} * HOP, PITCH, 6000, 0});
    const std::vector<CleanNote> placed = clean_place_onsets(notes, OnsetRules{}, shaped(c.shape));
    ASSERT_EQ(placed.size(), notes.size());
    EXPECT_EQ(placed.back().start_samples, c.expected_start) << c.situation;
}

INSTANTIATE_TEST_SUITE_P(
    Attacks, OnsetTable,
    ::testing::Values(
        // Half the reached level (3000) is passed at frame 48; half a window later.
        OnsetCase{"a slow swell found late starts at its rise", {40, 70, 2000, 6000}, 65, -1, 48 * HOP + WINDOW / 2},
        OnsetCase{"a sudden attack keeps its onset", {60, 60, 0, 6000}, 60, -1, 60 * HOP},
        OnsetCase{"a level that was already there is no rise", {10, 10, 6000, 6000}, 60, -1, 60 * HOP},
        OnsetCase{"the rise is not followed into the previous note of the pitch", {40, 70, 2000, 6000}, 65, 55,
                  56 * HOP + WINDOW / 2},
        // The rise began at frame 59; half a window after it is later than the onset found.
        OnsetCase{"an onset never moves later", {58, 60, 0, 6000}, 60, -1, 60 * HOP}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

struct ChordCase {
    std::string situation;
    Shape shape;
    std::vector<int32_t> other_onsets;  // frames where notes of other pitches start
    int32_t found_frame;
    int32_t previous_end_frame;         // end of an earlier note of the pitch, -1 for none
    int32_t expected_frame;
    int32_t onset_flux = 0;             // of the attack the note starts at
};

class ChordTable : public ::testing::TestWithParam<ChordCase> {};

TEST_P(ChordTable, StartsWithTheChordItsLevelHeldSince)
{
    const ChordCase& c = GetParam();
    std::vector<CleanNote> notes = {{int64_t{c.found_frame} * HOP, 280 * HOP, PITCH, 6000, 0, c.onset_flux}};
    for (const int32_t frame : c.other_onsets)
        notes.push_back({int64_t{frame} * HOP, 280 * HOP, PITCH - 7, 6000, 0});
    if (c.previous_end_frame >= 0)
        notes.push_back({0, int64_t{c.previous_end_frame} * HOP, PITCH, 6000, 0});
    const std::vector<CleanNote> placed = clean_start_with_chords(notes, ChordRules{}, shaped(c.shape));
    ASSERT_EQ(placed.size(), notes.size());
    const auto note = std::find_if(placed.begin(), placed.end(),
                                   [](const CleanNote& n) { return n.note == PITCH && n.start_samples > 0; });
    ASSERT_NE(note, placed.end());
    EXPECT_EQ(note->start_samples, int64_t{c.expected_frame} * HOP) << c.situation;
}

// 25 frames are 145 ms, 50 frames 290 ms.
INSTANTIATE_TEST_SUITE_P(
    Chords, ChordTable,
    ::testing::Values(
        ChordCase{"a note found late, its level held since the chord began, starts with it", {40, 42, 0, 6000}, {40},
                  65, -1, 40},
        ChordCase{"... with the earliest onset its level held since", {28, 30, 0, 6000}, {30, 45}, 65, -1, 30},
        ChordCase{"a note whose level came only just before it was found keeps its onset", {60, 62, 0, 6000}, {40},
                  65, -1, 65},
        ChordCase{"an onset 290 ms earlier belongs to another chord", {10, 12, 0, 6000}, {15}, 65, -1, 65},
        ChordCase{"the onset never moves into the previous note of the pitch", {40, 42, 0, 6000}, {40}, 65, 50, 65},
        ChordCase{"a note that starts at a strong attack of its own keeps its onset", {40, 42, 0, 6000}, {40}, 65,
                  -1, 65, 10000},
        ChordCase{"... a weaker one does not hold it", {40, 42, 0, 6000}, {40}, 65, -1, 40, 9999}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

} // namespace
