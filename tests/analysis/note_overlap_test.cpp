#include <gtest/gtest.h>

#include <vector>

#include "analysis/overlap_resolution.h"
#include "core/settings.h"
#include "support/test_support.h"

namespace {

NoteSegment seg(int32_t start, int32_t length, int32_t note, int32_t velocity)
{
    return {start, length, static_cast<int16_t>(note * 24 + 12), static_cast<int16_t>(velocity)};
}

bool deleted(const NoteSegment& s) { return s.fine_pitch < 0; }

class OverlapTest : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine_state(); }
};

TEST_F(OverlapTest, SameNoteOverlapCutsOrAbsorbs)
{
    struct Case {
        const char* what;
        NoteSegment earlier, later;
        int32_t earlier_length;  // afterwards; -1: deleted
        bool later_kept;
    };
    const Case cases[] = {
        {"louder later cuts just before its start", seg(0, 1000, 60, 50), seg(500, 1000, 60, 80), 499, true},
        {"equal later is absorbed", seg(0, 1000, 60, 50), seg(500, 1000, 60, 50), 2000, false},
        {"softer later is absorbed", seg(0, 1000, 60, 50), seg(500, 300, 60, 20), 1300, false},
        {"cut to nothing deletes", seg(0, 1000, 60, 50), seg(1, 1000, 60, 80), -1, true},
        {"same start deletes", seg(0, 1000, 60, 50), seg(0, 1000, 60, 80), -1, true},
        {"ended segment is left alone", seg(0, 1000, 60, 50), seg(1000, 10, 60, 20), 1000, true},
        {"other note is left alone", seg(0, 1000, 60, 50), seg(500, 10, 61, 20), 1000, true},
        {"fine steps of one note overlap", seg(0, 1000, 60, 50),
         NoteSegment{500, 10, 60 * 24 + 23, 20}, 1010, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<NoteSegment> s = {c.earlier, c.later};
        resolve_overlaps(s);
        if (c.earlier_length < 0) {
            EXPECT_TRUE(deleted(s[0]));
        } else {
            EXPECT_FALSE(deleted(s[0]));
            EXPECT_EQ(s[0].length, c.earlier_length);
        }
        EXPECT_EQ(!deleted(s[1]), c.later_kept);
        if (c.later_kept) {
            EXPECT_EQ(s[1].length, c.later.length);
        }
    }
}

TEST_F(OverlapTest, TooSoftTooShortAndDeletedSegmentsGo)
{
    conversion_settings.SL_LEVEL = 10;
    conversion_settings.SL_LENGTH = 2;
    std::vector<NoteSegment> s = {seg(0, 100, 60, 9), seg(0, 1, 61, 50), NoteSegment{0, 100, -1, 50},
                                  seg(0, 2, 62, 10)};
    resolve_overlaps(s);
    EXPECT_TRUE(deleted(s[0]));
    EXPECT_TRUE(deleted(s[1])) << "1 sample survives only with SL_LENGTH <= 1";
    EXPECT_TRUE(deleted(s[2]));
    EXPECT_FALSE(deleted(s[3]));

    conversion_settings.SL_LENGTH = 1;
    std::vector<NoteSegment> one = {seg(0, 1, 61, 50)};
    resolve_overlaps(one);
    EXPECT_FALSE(deleted(one[0]));
}

TEST_F(OverlapTest, DeletedSegmentNeitherSoundsNorAbsorbs)
{
    conversion_settings.SL_LEVEL = 10;
    // The soft one is dropped, so the third one starts its own note instead of being absorbed.
    std::vector<NoteSegment> s = {seg(0, 1000, 60, 5), seg(100, 1000, 60, 50)};
    resolve_overlaps(s);
    EXPECT_TRUE(deleted(s[0]));
    EXPECT_FALSE(deleted(s[1]));
    EXPECT_EQ(s[1].length, 1000);
}

// Three sounding notes, then q: with MAX_HARMONY 3 q is the fourth.
struct HarmonyCase {
    const char* what;
    NoteSegment weakest;  // one of the sounding notes
    NoteSegment q;
    bool q_kept;
};

TEST_F(OverlapTest, TooManyNotesDeleteTheNewOneOrCutTheWeakest)
{
    conversion_settings.MAX_HARMONY = 3;
    // The others: note 40 and 41, weight 100 * 10000 each.
    const HarmonyCase cases[] = {
        // Weight of w: 50 * 10000 = 500000.
        {"q an octave above w, weaker than twice w", seg(0, 10000, 48, 50), seg(100, 9999, 60, 100), false},
        {"q an octave above w, twice w", seg(0, 10000, 48, 50), seg(100, 10000, 60, 100), true},
        {"q a fifth plus an octave above (partial 3)", seg(0, 10000, 48, 50), seg(100, 9999, 67, 100), false},
        {"q three octaves above (partial 8)", seg(0, 10000, 48, 50), seg(100, 9999, 84, 100), false},
        {"q a seventh plus two octaves above (partial 7)", seg(0, 10000, 48, 50), seg(100, 9999, 82, 100), false},
        {"not a partial distance", seg(0, 10000, 48, 50), seg(100, 9999, 61, 100), true},
        {"q below a third of w", seg(0, 10000, 48, 50), seg(100, 1666, 90, 100), false},
        {"q at a third of w", seg(0, 10000, 48, 50), seg(100, 1667, 90, 100), true},
        {"q softer than half of w", seg(0, 10000, 48, 50), seg(100, 100000, 90, 24), false},
        {"q at half of w", seg(0, 10000, 48, 50), seg(100, 100000, 90, 25), true},
    };
    for (const HarmonyCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<NoteSegment> s = {seg(0, 10000, 40, 100), seg(0, 10000, 41, 100), c.weakest, c.q};
        resolve_overlaps(s);
        EXPECT_FALSE(deleted(s[0]));
        EXPECT_FALSE(deleted(s[1]));
        EXPECT_EQ(s[0].length, 10000);
        EXPECT_EQ(!deleted(s[3]), c.q_kept);
        if (c.q_kept) {
            EXPECT_EQ(s[2].length, c.q.start - c.weakest.start - 1) << "the weakest is cut";
        } else {
            EXPECT_EQ(s[2].length, c.weakest.length);
        }
    }
}

TEST_F(OverlapTest, WithinTheLimitNothingIsCut)
{
    conversion_settings.MAX_HARMONY = 4;
    std::vector<NoteSegment> s = {seg(0, 10000, 40, 100), seg(0, 10000, 41, 100), seg(0, 10000, 48, 1),
                                  seg(100, 10, 90, 1)};
    resolve_overlaps(s);
    for (const NoteSegment& x : s)
        EXPECT_FALSE(deleted(x));
    EXPECT_EQ(s[2].length, 10000);
}

TEST_F(OverlapTest, ThirtyThirdNoteCutsTheWeakestOnce)
{
    // With the default MAX_HARMONY 32: 32 notes sound, the 33rd cuts the weakest (the first of
    // equal weights in note order) and frees its slot; a 34th then cuts the next weakest.
    std::vector<NoteSegment> s;
    for (int32_t note = 30; note < 62; ++note)
        s.push_back(seg(0, 10000, note, note == 45 || note == 50 ? 40 : 100));
    s.push_back(seg(1000, 10000, 101, 100));
    s.push_back(seg(2000, 10000, 102, 100));
    resolve_overlaps(s);
    for (size_t i = 0; i < s.size(); ++i)
        EXPECT_FALSE(deleted(s[i])) << i;
    EXPECT_EQ(s[15].length, 999);  // note 45
    EXPECT_EQ(s[20].length, 1999);
}

TEST_F(OverlapTest, WeightsOfLongNotesDoNotWrap)
{
    conversion_settings.MAX_HARMONY = 1;
    // W(w) = 100 * 12000000: 2 * W(w) passes 2^31, W(q) = 100 * 10000000 is below it.
    std::vector<NoteSegment> s = {seg(0, 12000000, 48, 100), seg(100, 10000000, 60, 100)};
    resolve_overlaps(s);
    EXPECT_TRUE(deleted(s[1]));
    EXPECT_EQ(s[0].length, 12000000);

    // W(w) = 127 * 30000000 passes 2^31 itself; W(q) = 127 * 9999999 is below a third of it.
    std::vector<NoteSegment> t = {seg(0, 30000000, 50, 127), seg(100, 9999999, 60, 127)};
    resolve_overlaps(t);
    EXPECT_TRUE(deleted(t[1]));
    EXPECT_EQ(t[0].length, 30000000);
    // At exactly a third q stays and cuts w.
    std::vector<NoteSegment> u = {seg(0, 30000000, 50, 127), seg(100, 10000000, 60, 127)};
    resolve_overlaps(u);
    EXPECT_FALSE(deleted(u[1]));
    EXPECT_EQ(u[0].length, 99);
}

TEST_F(OverlapTest, AbsorbedLengthsSaturate)
{
    std::vector<NoteSegment> s = {seg(0, INT32_MAX, 60, 50), seg(10, INT32_MAX, 60, 50)};
    resolve_overlaps(s);
    EXPECT_EQ(s[0].length, INT32_MAX);
    EXPECT_TRUE(deleted(s[1]));
}

} // namespace
