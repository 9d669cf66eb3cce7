// The clean transcription's rules on small level grids written by hand: each row names a
// musical situation, the levels that show it, and the notes that must come out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/clean_notes.h"
#include "analysis/clean_transcription.h"

namespace {

constexpr int32_t HOP = CLEAN_GRID_HOP;

// One note's level over frames first..last (inclusive).
struct Span {
    int32_t note;
    int32_t first;
    int32_t last;
    int32_t level;
};

LevelMatrix grid(int32_t frames, const std::vector<Span>& spans)
{
    LevelMatrix m = make_level_matrix(frames, HOP);
    for (const Span& s : spans) {
        for (int32_t g = s.first; g <= s.last; ++g)
            m.at(s.note, g) = s.level;
    }
    return m;
}

struct Found {
    int32_t note;
    int32_t first_frame;  // the frame the onset falls in
    bool operator==(const Found&) const = default;
};

std::vector<Found> found(const LevelMatrix& m, const CleanRules& rules = {})
{
    std::vector<Found> out;
    for (const CleanNote& n : clean_find_notes(m, rules))
        out.push_back({n.note, static_cast<int32_t>(n.start_samples / HOP)});
    return out;
}

struct RuleCase {
    std::string situation;
    std::vector<Span> spans;
    std::vector<Found> expected;
};

class CleanRulesTable : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CleanRulesTable, FindsThePlayedNotes)
{
    const RuleCase& c = GetParam();
    EXPECT_EQ(found(grid(200, c.spans)), c.expected) << c.situation;
}

std::string case_name(const ::testing::TestParamInfo<RuleCase>& info)
{
    return info.param.situation;
}

INSTANTIATE_TEST_SUITE_P(
    Situations, CleanRulesTable,
    ::testing::Values(
        RuleCase{"OneHeldNote", {{60, 10, 80, 6000}}, {{60, 10}}},
        RuleCase{"BlipShorterThanANoteIsDropped", {{60, 10, 80, 6000}, {72 + 3, 100, 104, 6000}}, {{60, 10}}},
        // An octave and a twelfth above a note, starting with it and weaker: its partials.
        RuleCase{"OctaveAndTwelfthGhostsAreDropped",
                 {{48, 10, 80, 6000}, {60, 10, 80, 5000}, {67, 11, 70, 4500}},
                 {{48, 10}}},
        // Much louder than a partial can be: a real note an octave up.
        RuleCase{"LouderOctaveIsARealNote", {{48, 10, 80, 5100}, {60, 10, 80, 7700}}, {{48, 10}, {60, 10}}},
        // Long after the held note's attack its partial is no new sound; a new note is.
        RuleCase{"LaterNoteAtAPartialOfAHeldNoteIsReal",
                 {{48, 10, 150, 6000}, {60, 80, 150, 6000}},
                 {{48, 10}, {60, 80}}},
        // 27 semitones lies between partials 4 and 5 (27.9): no partial, a note.
        RuleCase{"NoteBesideAPartialIsReal", {{45, 10, 80, 6000}, {72, 10, 80, 5000}}, {{45, 10}, {72, 10}}},
        // Partials 6 and 8 of a ringing bass, played long after its attack, quieter than it.
        RuleCase{"ChordOnARingingBassPartialsIsReal",
                 {{36, 10, 150, 7000}, {67, 100, 150, 5000}, {72, 100, 150, 5000}},
                 {{36, 10}, {67, 100}, {72, 100}}},
        // A partial ends with its note: a brief low transient explains no octave that rings on.
        RuleCase{"OctaveOutlastingABriefLowerNoteIsReal",
                 {{36, 10, 22, 6000}, {48, 10, 90, 5000}},
                 {{36, 10}, {48, 10}}},
        RuleCase{"NoteStartingAfterTheLowerOneEndsIsReal",
                 {{48, 10, 40, 6000}, {60, 60, 120, 5000}},
                 {{48, 10}, {60, 60}}},
        // The level falls away and comes back well above its low: a new attack.
        RuleCase{"ReattackSplits", {{60, 10, 49, 6000}, {60, 50, 54, 4000}, {60, 55, 100, 6500}}, {{60, 10}, {60, 55}}},
        // A dip of a few frames without a new attack: one note.
        RuleCase{"ShortGapJoins", {{60, 10, 40, 6000}, {60, 44, 90, 6000}}, {{60, 10}}},
        RuleCase{"LongGapSeparates", {{60, 10, 40, 6000}, {60, 60, 100, 6000}}, {{60, 10}, {60, 60}}},
        // Far below the loudest note sounding: leakage, not a note.
        RuleCase{"QuietNoteUnderALoudOneIsDropped", {{60, 10, 80, 7000}, {65, 10, 80, 2500}}, {{60, 10}}},
        RuleCase{"ChordNotesOfEqualLevelAllStay",
                 {{60, 10, 80, 6000}, {64, 10, 80, 6000}, {67, 10, 80, 6000}},
                 {{60, 10}, {64, 10}, {67, 10}}},
        // A low note's long window smears it onto its neighbours: the strongest stays.
        RuleCase{"LowNeighbourSmearIsDropped", {{33, 10, 90, 6000}, {34, 10, 24, 5000}}, {{33, 10}}},
        RuleCase{"NoteSoundingFromTheFirstFrame", {{60, 0, 80, 6000}}, {{60, 0}}},
        RuleCase{"NothingInSilence", {}, {}}),
    case_name);

TEST(CleanRules, OnsetFollowsTheClimbOfTheLevel)
{
    // The level climbs over three frames; the onset is where it reaches most of its height.
    LevelMatrix m = grid(100, {{60, 20, 80, 6000}});
    m.at(60, 17) = 1000;
    m.at(60, 18) = 3000;
    m.at(60, 19) = 5000;
    const std::vector<CleanNote> notes = clean_find_notes(m, CleanRules{});
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].start_samples, 19 * HOP);
    EXPECT_GT(notes[0].end_samples, 80 * HOP);
}

TEST(CleanRules, ANoteEndsHalfAWindowBeforeItsLastHeldFrameEnds)
{
    // The level holds while the window still reaches into the note's release.
    LevelMatrix m = grid(200, {{60, 20, 80, 6000}});
    m.window_samples[60] = 2000;
    std::vector<CleanNote> notes = clean_find_notes(m, CleanRules{});
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].end_samples, 81 * HOP - 1000);
    // A window longer than the note held still leaves it two grid frames long.
    m = grid(200, {{60, 20, 32, 6000}});
    m.window_samples[60] = 8000;
    notes = clean_find_notes(m, CleanRules{});
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].end_samples - notes[0].start_samples, 2 * HOP);
}

TEST(CleanRules, ReferenceLevelIgnoresOneStrayPeak)
{
    LevelMatrix m = grid(200, {{60, 0, 199, 4000}});
    m.at(90, 50) = 20000;
    EXPECT_EQ(clean_reference_level(m), 4000);
    EXPECT_EQ(clean_reference_level(grid(10, {})), 0);
}

TEST(CleanRules, ShortLowNotesBeforeALongerAttackAreDropped)
{
    // Note 30's window is 8000 samples: shorter than 12000 samples it may be a forerunner.
    LevelMatrix m = make_level_matrix(10, HOP);
    m.window_samples[30] = 8000;
    m.window_samples[50] = 8000;
    const CleanNote played{10000, 40000, 43, 5000, 0};
    struct Row {
        const char* situation;
        CleanNote low;
        bool kept;
    };
    const Row rows[] = {
        {"short, low, the longer note starts within it", {8000, 12000, 30, 6000, 0}, false},
        {"... or within 50 ms after it ends", {6000, 8000, 30, 6000, 0}, false},
        {"... or at the same moment", {10000, 14000, 30, 6000, 0}, false},
        {"as long as one and a half windows", {8000, 20000, 30, 6000, 0}, true},
        {"ends long before the other starts", {1000, 4000, 30, 6000, 0}, true},
        {"at C3 and above", {8000, 12000, 50, 6000, 0}, true},
    };
    for (const Row& r : rows) {
        std::vector<CleanNote> notes{r.low, played};
        std::sort(notes.begin(), notes.end(), clean_starts_before);
        const std::vector<CleanNote> kept = clean_drop_forerunners(notes, CleanRules{}, m);
        EXPECT_EQ(kept.size(), r.kept ? 2u : 1u) << r.situation;
    }
    // The longer note must be longer than the low one.
    const std::vector<CleanNote> two_short{{8000, 12000, 30, 6000, 0}, {10000, 11000, 43, 5000, 0}};
    EXPECT_EQ(clean_drop_forerunners(two_short, CleanRules{}, m).size(), 2u);
}

TEST(CleanRules, NotesShorterThan50MsOncePlacedAreDropped)
{
    const std::vector<CleanNote> notes{{0, 2204, 60, 5000, 0}, {100, 2305, 62, 5000, 0}, {5000, 4000, 64, 5000, 0}};
    const std::vector<CleanNote> kept = clean_drop_short(notes, CleanRules{});
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].note, 62);
}

TEST(CleanSegments, TicksTemperedPitchAndVelocity)
{
    std::vector<CleanNote> notes = {{44100, 88200, 69, 1000, 0}, {0, 10, 60, 50, 0}};
    const std::vector<NoteSegment> s = clean_notes_to_segments(notes, 1000, 1536, 44100);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].start, 1536);
    EXPECT_EQ(s[0].length, 1536);
    EXPECT_EQ(s[0].fine_pitch, 69 * 24 + 12);
    EXPECT_EQ(s[0].velocity, 127);
    EXPECT_EQ(s[1].length, 1);   // shorter than a tick still sounds
    EXPECT_EQ(s[1].velocity, 1); // below the velocity scale still sounds
    EXPECT_TRUE(clean_notes_to_segments(notes, 1000, 0, 44100).empty());
}

} // namespace
