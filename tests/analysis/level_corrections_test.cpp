#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/level_corrections.h"
#include "core/settings.h"
#include "support/test_support.h"

namespace {

TEST(Compression, KnownValues)
{
    EXPECT_EQ(compress_level(0), 0);
    EXPECT_EQ(compress_level(-5), 0);
    EXPECT_EQ(compress_level(1), 434);
    const int64_t full_scale = int64_t{32767} * 32767;
    EXPECT_EQ(compress_level(full_scale),
              static_cast<int32_t>(16384 * std::pow(static_cast<double>(full_scale) / 268435456.0, 0.187)));
    EXPECT_EQ(compress_level(int64_t{1} << 28), 16384);
    // the widest level still compresses into 32 bits
    EXPECT_GT(compress_level(std::numeric_limits<int64_t>::max()), 1000000);
}

struct FundamentalCase {
    const char* name;
    int32_t key_min;
    int32_t max_overtone;
    std::vector<int64_t> level;
    std::vector<int64_t> power;
    std::vector<int64_t> expected;
};

std::vector<int64_t> with(size_t size, std::initializer_list<std::pair<size_t, int64_t>> values)
{
    std::vector<int64_t> v(size, 0);
    for (auto [i, x] : values)
        v[i] = x;
    return v;
}

TEST(FundamentalCorrection, HandMadeLevels)
{
    const FundamentalCase cases[] = {
        // note 12 (MIDI 36) as partial 2 of note 0: row 1 offsets 7, 12, 16, 19
        {"octave", 24, 2, with(40, {{12, 1000}}), with(40, {{19, 5}, {24, 5}}), with(40, {{12, 1000}, {0, 1000}})},
        // row 0 scores higher: note 12 is its own fundamental
        {"own", 24, 2, with(40, {{12, 1000}}), with(40, {{36, 50}, {19, 5}}), with(40, {{12, 1000}})},
        // equal scores keep the earlier row
        {"tie", 24, 2, with(40, {{12, 1000}}), with(40, {{36, 7}, {19, 7}}), with(40, {{12, 1000}})},
        // row 2 (a twelfth) is not used with MAX_OVERTONE 2, is with 3
        {"row2 unused", 24, 2, with(40, {{19, 300}}), with(40, {{24, 9}, {28, 9}}), with(40, {{19, 300}})},
        {"row2 used", 24, 3, with(40, {{19, 300}}), with(40, {{24, 9}, {28, 9}}), with(40, {{19, 300}, {0, 300}})},
        // fundamental would be below the first note: nothing
        {"below range", 24, 8, with(40, {{12, 1000}}), with(40, {{16, 9}, {19, 9}}), with(40, {{12, 1000}})},
        // above MIDI 63 nothing happens (KEY_MIN 60: note index 12 is MIDI 72)
        {"above 63", 60, 2, with(40, {{12, 1000}}), with(40, {{19, 5}, {24, 5}}), with(40, {{12, 1000}})},
        // 12 notes or fewer: nothing
        {"short", 24, 2, with(12, {{11, 1000}}), with(12, {{11, 5}}), with(12, {{11, 1000}})},
        // MAX_OVERTONE 0 uses no rows, above 8 all rows; power beyond the last note counts 0
        {"no rows", 24, 0, with(40, {{12, 1000}}), with(40, {{19, 5}}), with(40, {{12, 1000}})},
        // row 7 (d 36) wins with two partials; without it rows 2, 5 and 6 tie and row 2 wins
        {"all rows", 24, 99, with(44, {{36, 70}}), with(44, {{38, 9}, {41, 9}}), with(44, {{36, 70}, {0, 70}})},
        {"seven rows", 24, 7, with(44, {{36, 70}}), with(44, {{38, 9}, {41, 9}}), with(44, {{36, 70}, {17, 70}})},
        // levels stay 64-bit: two loud notes add up past 32 bits
        {"wide", 24, 2, with(40, {{0, 3000000000}, {12, 3000000000}}), with(40, {{19, 5}}),
         with(40, {{0, 6000000000}, {12, 3000000000}})},
    };
    for (const FundamentalCase& c : cases) {
        test::reset_engine_state();
        conversion_settings.KEY_MIN = c.key_min;
        conversion_settings.MAX_OVERTONE = c.max_overtone;
        std::vector<int64_t> level = c.level;
        correct_fundamentals(static_cast<int32_t>(level.size()), level.data(), c.power.data());
        EXPECT_EQ(level, c.expected) << c.name;
    }
}

TEST(FundamentalCorrection, NotesAboveTheLimitStopTheScan)
{
    test::reset_engine_state();
    conversion_settings.KEY_MIN = 40;  // index 12 = MIDI 52 .. index 23 = MIDI 63
    std::vector<int64_t> level = with(40, {{23, 10}, {24, 20}});
    std::vector<int64_t> power = with(40, {{30, 5}, {31, 5}});  // row 1 for index 23 and 24
    correct_fundamentals(40, level.data(), power.data());
    EXPECT_EQ(level, with(40, {{23, 10}, {24, 20}, {11, 10}}));
}

TEST(OvertoneCorrection, HandMadeLevels)
{
    test::reset_engine_state();
    // base 100 at index 0 with an octave 400 and a twelfth 100
    std::vector<int64_t> level = with(20, {{0, 100}, {12, 400}, {19, 100}});
    correct_overtones(20, level.data());
    // 400 - sqrt(400*100)*100/50/2 = 200; 100 - sqrt(100*100)*2/3 = 33.3 -> 33
    EXPECT_EQ(level, with(20, {{0, 100}, {12, 200}, {19, 33}}));

    // higher base notes first: index 7's twelfth (26) is reduced by 7 before index 0 uses it
    level = with(30, {{0, 400}, {7, 100}, {12, 100}, {26, 900}, {19, 100}});
    correct_overtones(30, level.data());
    // i=7: u=19: 100 - sqrt(100*100) = 0; u=26: 900 - sqrt(900*100)*2/3 = 700
    // i=0: u=12: 100 - sqrt(100*400) = -100 -> 0; u=19: 0; u=24: 0; u=28 none
    EXPECT_EQ(level, with(30, {{0, 400}, {7, 100}, {12, 0}, {19, 0}, {26, 700}}));

    // OVERTONE_LEVEL scales the share; fewer than 13 notes change nothing
    conversion_settings.OVERTONE_LEVEL = 50;
    level = with(13, {{0, 100}, {12, 400}});
    correct_overtones(13, level.data());
    EXPECT_EQ(level, with(13, {{0, 100}, {12, 300}}));
    level = with(12, {{0, 100}, {11, 400}});
    correct_overtones(12, level.data());
    EXPECT_EQ(level, with(12, {{0, 100}, {11, 400}}));

    // a negative strength raises levels but never past the 64-bit range
    conversion_settings.OVERTONE_LEVEL = -2147483647 - 1;
    level = with(13, {{0, 4000000000000000000}, {12, 4000000000000000000}});
    correct_overtones(13, level.data());
    EXPECT_EQ(level[12], 9223372036854774784);
}

} // namespace
