#include <gtest/gtest.h>

#include <array>

#include "analysis/continuity.h"
#include "core/settings.h"
#include "support/test_support.h"

namespace {

// Three notes from MIDI 60; the middle one is judged. Fine pitch of note index n at step s
// is (60 + n) * 24 + s.
struct Case {
    const char* name;
    int32_t diffnote;
    std::array<int32_t, 3> prev_level, prev_step, level, step;
    int32_t expected;
};

TEST(Continuity, RulesForTheMiddleNote)
{
    const Case cases[] = {
        {"nothing matches", 6, {0, 0, 0}, {0, 0, 0}, {0, 100, 0}, {12, 12, 12}, 0},
        {"same note", 6, {0, 100, 0}, {0, 12, 0}, {0, 100, 0}, {12, 12, 12}, 1},
        {"level change 10 is too much", 6, {0, 90, 0}, {0, 12, 0}, {0, 110, 0}, {12, 12, 12}, 0},
        {"level change 9 continues", 6, {0, 91, 0}, {0, 12, 0}, {0, 110, 0}, {12, 12, 12}, 1},
        {"pitch distance 6 continues", 6, {0, 100, 0}, {0, 18, 0}, {0, 100, 0}, {12, 12, 12}, 1},
        {"pitch distance 7 is too far", 6, {0, 100, 0}, {0, 19, 0}, {0, 100, 0}, {12, 12, 12}, 0},
        {"two silent frames", 6, {0, 0, 0}, {0, 12, 0}, {0, 0, 0}, {12, 12, 12}, 1},
        {"from below", 6, {0, 0, 0}, {0, 0, 0}, {100, 100, 0}, {23, 2, 12}, 2},
        // the note below is compared with this frame's values, not the previous frame's
        {"below uses this frame", 6, {100, 0, 0}, {23, 0, 0}, {0, 100, 0}, {23, 2, 12}, 0},
        {"from above", 6, {0, 0, 100}, {0, 0, 0}, {0, 100, 0}, {12, 21, 12}, 3},
        // the note above is compared with the previous output frame's values
        {"above uses previous frame", 6, {0, 0, 0}, {0, 0, 0}, {0, 100, 100}, {12, 21, 0}, 0},
        // self rel 1 * dist 2 = 2; below rel 0 -> product 0 wins, rel 1 * 24 does not
        {"below beats self", 30, {0, 104, 0}, {0, 14, 0}, {100, 100, 0}, {12, 12, 12}, 2},
        {"self beats below", 30, {0, 104, 0}, {0, 14, 0}, {103, 100, 0}, {12, 12, 12}, 1},
        {"above beats self", 30, {0, 104, 100}, {0, 14, 0}, {0, 100, 0}, {12, 12, 12}, 3},
        {"self beats above", 30, {0, 104, 103}, {0, 14, 0}, {0, 100, 0}, {12, 12, 12}, 1},
        // below rel 1 * dist 24; above rel 1 * dist 12 is smaller, rel 1 * dist 24 is not
        {"above beats below", 30, {0, 0, 103}, {0, 0, 0}, {103, 100, 0}, {12, 12, 12}, 3},
        {"below kept on equal products", 30, {0, 0, 103}, {0, 0, 12}, {103, 100, 0}, {12, 12, 12}, 2},
    };
    for (const Case& c : cases) {
        test::reset_engine_state();
        conversion_settings.KEY_MIN = 60;
        conversion_settings.SL_DIFFNOTE = c.diffnote;
        AnalysisState state;
        for (int i = 0; i < 3; ++i) {
            state.prev_level[i] = c.prev_level[i];
            state.prev_step[i] = c.prev_step[i];
        }
        std::array<int32_t, 3> continuity{};
        decide_continuity(3, c.level.data(), c.step.data(), state, continuity.data());
        EXPECT_EQ(continuity[1], c.expected) << c.name;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(state.prev_level[i], c.level[i]) << c.name;
            EXPECT_EQ(state.prev_step[i], c.step[i]) << c.name;
        }
    }
}

TEST(Continuity, FirstSilentFrameIsNewThenSame)
{
    test::reset_engine_state();
    conversion_settings.KEY_MIN = 21;
    AnalysisState state;
    std::array<int32_t, 4> level{}, step{12, 12, 12, 12}, continuity{};
    decide_continuity(4, level.data(), step.data(), state, continuity.data());
    EXPECT_EQ(continuity, (std::array<int32_t, 4>{0, 0, 0, 0}));
    decide_continuity(4, level.data(), step.data(), state, continuity.data());
    EXPECT_EQ(continuity, (std::array<int32_t, 4>{1, 1, 1, 1}));
}

} // namespace
