// Joining the fragments of held notes: two notes of one pitch and the analysis level of
// that pitch around them; each row says whether they are one note.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/clean_fragments.h"

namespace {

constexpr int32_t HOP = CLEAN_GRID_HOP;
constexpr int32_t PITCH = 57;

// The level of PITCH over frames first..last (inclusive).
struct Level {
    int32_t first;
    int32_t last;
    int32_t level;
};

CleanNote note_at(int32_t first_frame, int32_t end_frame, int32_t pitch = PITCH)
{
    return CleanNote{int64_t{first_frame} * HOP, int64_t{end_frame} * HOP, pitch, 5000, 0};
}

struct FragmentCase {
    std::string situation;
    std::vector<Level> levels;
    std::vector<CleanNote> notes;
    std::vector<int32_t> expected_starts;  // frames of the notes that remain
};

class FragmentTable : public ::testing::TestWithParam<FragmentCase> {};

TEST_P(FragmentTable, JoinsHeldNotesAndKeepsRepetitions)
{
    const FragmentCase& c = GetParam();
    LevelMatrix m = make_level_matrix(400, HOP);
    for (const Level& l : c.levels) {
        for (int32_t g = l.first; g <= l.last; ++g)
            m.at(PITCH, g) = l.level;
    }
    std::vector<int32_t> starts;
    for (const CleanNote& n : clean_join_fragments(c.notes, FragmentRules{}, m))
        starts.push_back(static_cast<int32_t>(n.start_samples / HOP));
    EXPECT_EQ(starts, c.expected_starts) << c.situation;
}

INSTANTIATE_TEST_SUITE_P(
    Situations, FragmentTable,
    ::testing::Values(
        FragmentCase{"a held level with the salience lost for a while is one note",
                     {{10, 200, 5000}}, {note_at(10, 60), note_at(90, 200)}, {10}},
        FragmentCase{"a level that wavers a little between them is still one note",
                     {{10, 60, 5000}, {61, 89, 4500}, {90, 200, 5000}}, {note_at(10, 60), note_at(90, 200)}, {10}},
        FragmentCase{"a repetition rises again after a dip: two notes",
                     {{10, 60, 5000}, {61, 89, 3000}, {90, 200, 5500}}, {note_at(10, 60), note_at(90, 200)}, {10, 90}},
        FragmentCase{"silence between them: two notes", {{10, 60, 5000}, {90, 200, 5000}},
                     {note_at(10, 60), note_at(90, 200)}, {10, 90}},
        FragmentCase{"too far apart to be one held note", {{10, 350, 5000}}, {note_at(10, 60), note_at(200, 350)},
                     {10, 200}},
        FragmentCase{"notes of other pitches never join",
                     {{10, 200, 5000}}, {note_at(10, 60), note_at(90, 200, PITCH + 1)}, {10, 90}}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

TEST(FragmentJoin, TheJoinedNoteEndsWhereTheLaterEndsAndOrderIsByStart)
{
    LevelMatrix m = make_level_matrix(400, HOP);
    for (int32_t g = 10; g <= 200; ++g)
        m.at(PITCH, g) = 5000;
    const std::vector<CleanNote> joined =
        clean_join_fragments({note_at(90, 200), note_at(30, 40, 70), note_at(10, 60)}, FragmentRules{}, m);
    ASSERT_EQ(joined.size(), 2u);
    EXPECT_EQ(joined[0].start_samples, 10 * HOP);
    EXPECT_EQ(joined[0].end_samples, 200 * HOP);
    EXPECT_EQ(joined[1].note, 70);
    EXPECT_TRUE(clean_join_fragments({}, FragmentRules{}, m).empty());
}

} // namespace
