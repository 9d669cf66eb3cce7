#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "analysis/analysis_results.h"
#include "analysis/note_linking.h"
#include "core/settings.h"
#include "support/test_support.h"

namespace {

class NoteLinkingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        std::memset(note_window_length, 0, sizeof note_window_length);
        open.fill(-1);
        conversion_settings.VR_INTERVAL = 0;
        conversion_settings.SL_INTERVAL = 512;
    }

    // Registers an open segment for `note`.
    void open_segment(int32_t note, int32_t start, int32_t length, int32_t fine_pitch)
    {
        open[static_cast<size_t>(note)] = static_cast<int32_t>(segments.size());
        segments.push_back({start, length, static_cast<int16_t>(fine_pitch), 64});
    }

    std::vector<int32_t> link(const std::vector<FrameNoteRecord>& records, int32_t position)
    {
        std::vector<int32_t> links(records.size(), 99);
        link_frame_notes(records, position, segments, open, links);
        return links;
    }

    std::vector<NoteSegment> segments;
    OpenSegmentTable open;
};

// level carries the velocity here.
FrameNoteRecord rec(int32_t note, int32_t fine_step, int32_t velocity, int32_t continuity)
{
    return {velocity, note, fine_step, continuity};
}

TEST_F(NoteLinkingTest, SameNoteAndNeighbourLinks)
{
    struct Case {
        const char* what;
        int32_t segment_note, segment_fine_pitch;
        FrameNoteRecord record;
        int32_t expected;
    };
    const Case cases[] = {
        {"same note, continuity 1", 60, 60 * 24 + 12, rec(60, 14, 50, 1), LINK_SAME},
        {"same note, continuity 0", 60, 60 * 24 + 12, rec(60, 12, 50, 0), LINK_NEW},
        {"same note, pitch too far", 60, 60 * 24 + 3, rec(60, 12, 50, 1), LINK_NEW},
        {"same note, pitch at the limit", 60, 60 * 24 + 4, rec(60, 12, 50, 1), LINK_SAME},
        {"up a semitone from below", 60, 60 * 24 + 20, rec(61, 0, 50, 2), LINK_FROM_BELOW},
        {"from below needs continuity 2", 60, 60 * 24 + 20, rec(61, 0, 50, 3), LINK_NEW},
        {"from below, pitch too far", 60, 60 * 24 + 12, rec(61, 12, 50, 2), LINK_NEW},
        {"down a semitone from above", 61, 61 * 24 + 2, rec(60, 22, 50, 3), LINK_FROM_ABOVE},
        {"from above needs continuity 3", 61, 61 * 24 + 2, rec(60, 22, 50, 2), LINK_NEW},
        {"KEY_MIN never links down", 20, 20 * 24 + 20, rec(21, 0, 50, 2), LINK_NEW},
        {"KEY_MAX never links up", 109, 109 * 24 + 2, rec(108, 22, 50, 3), LINK_NEW},
        {"below KEY_MIN ignored", 20, 20 * 24 + 12, rec(20, 12, 50, 1), LINK_IGNORED},
        {"above KEY_MAX ignored", 109, 109 * 24 + 12, rec(109, 12, 50, 1), LINK_IGNORED},
        {"below SL_LEVEL ignored", 60, 60 * 24 + 12, rec(60, 12, 0, 1), LINK_IGNORED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        segments.clear();
        open.fill(-1);
        open_segment(c.segment_note, 1000, 500, c.segment_fine_pitch);
        EXPECT_EQ(link({c.record}, 1600), std::vector<int32_t>{c.expected});
    }
}

TEST_F(NoteLinkingTest, VariableGapLimitScalesWithTheWindowLength)
{
    conversion_settings.VR_INTERVAL = 1;
    note_window_length[69] = 1603;   // limit 1603 * 512 / 128 = 6412
    note_window_length[70] = 100000; // only the record's own note counts
    open_segment(69, 0, 1000, 69 * 24 + 12);
    EXPECT_EQ(link({rec(69, 12, 50, 1)}, 1000 + 6411)[0], LINK_SAME);
    EXPECT_EQ(open[69], 0);
    EXPECT_EQ(link({rec(69, 12, 50, 1)}, 1000 + 6412)[0], LINK_NEW);
    EXPECT_EQ(open[69], -1) << "a segment past its gap limit is closed for good";
}

TEST_F(NoteLinkingTest, ClosedNeighbourIsNotLinked)
{
    // The gap limit of the record's own note (0 here) also governs links to its neighbours.
    conversion_settings.VR_INTERVAL = 1;
    note_window_length[61] = 0;
    note_window_length[60] = 100000;
    open_segment(60, 0, 1000, 60 * 24 + 20);
    EXPECT_EQ(link({rec(61, 0, 50, 2)}, 1200)[0], LINK_NEW);
}

TEST_F(NoteLinkingTest, IgnoredRecordDoesNotCloseItsSegment)
{
    open_segment(60, 0, 100, 60 * 24 + 12);
    EXPECT_EQ(link({rec(60, 12, 0, 1)}, 100000)[0], LINK_IGNORED);
    EXPECT_EQ(open[60], 0);
}

TEST_F(NoteLinkingTest, HeldNoteCancelsGlidingNeighbours)
{
    conversion_settings.SL_DIFFNOTE_ABS = 32;
    open_segment(60, 0, 1000, 60 * 24 + 12);
    // 59 continues the segment above it, 60 holds it, 61 continues it from below.
    EXPECT_EQ(link({rec(59, 12, 50, 3), rec(60, 12, 50, 1), rec(61, 12, 50, 2)}, 1200),
              (std::vector<int32_t>{LINK_IGNORED, LINK_SAME, LINK_IGNORED}));
    // Without the held note both neighbours keep their links.
    EXPECT_EQ(link({rec(59, 12, 50, 3), rec(61, 12, 50, 2)}, 1200),
              (std::vector<int32_t>{LINK_FROM_ABOVE, LINK_FROM_BELOW}));
}

TEST_F(NoteLinkingTest, OutOfRangeNotesNeverIndexTheTables)
{
    conversion_settings.KEY_MIN = -50;
    conversion_settings.KEY_MAX = 500;
    const std::vector<int32_t> links =
        link({rec(-1, 12, 50, 2), rec(0, 12, 50, 2), rec(127, 12, 50, 3), rec(128, 12, 50, 1), rec(300, 0, 50, 1)}, 100);
    EXPECT_EQ(links, (std::vector<int32_t>{LINK_IGNORED, LINK_NEW, LINK_NEW, LINK_IGNORED, LINK_IGNORED}));
}

class ScaleSnapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        conversion_settings.SCALE_FILTER = 1;
    }
    void enable_only(std::initializer_list<int> pitch_classes)
    {
        for (int& flag : conversion_settings.SCALE_NOTES)
            flag = 0;
        for (int p : pitch_classes)
            conversion_settings.SCALE_NOTES[p] = 1;
    }
};

TEST_F(ScaleSnapTest, MovesToTheNearestEnabledPitchClass)
{
    struct Case {
        const char* what;
        std::initializer_list<int> enabled;
        int32_t key_min, key_max;
        int32_t note, fine_step;
        int32_t expected;
    };
    const Case cases[] = {
        {"D to C with only C and G", {0, 7}, 21, 108, 62, 12, 60},
        {"A to G with only C and G", {0, 7}, 21, 108, 69, 12, 67},
        {"on the scale stays", {0, 7}, 21, 108, 67, 3, 67},
        {"tie goes up at fine step 12", {0, 4}, 21, 108, 62, 12, 64},
        {"tie goes up at fine step 23", {0, 4}, 21, 108, 62, 23, 64},
        {"tie goes down at fine step 11", {0, 4}, 21, 108, 62, 11, 60},
        {"down blocked by KEY_MIN", {0, 7}, 61, 108, 62, 12, 67},
        {"up blocked by KEY_MAX", {0, 7}, 21, 63, 65, 12, 60},
        {"nothing reachable", {0}, 61, 63, 62, 12, 62},
        {"nothing enabled", {}, 21, 108, 62, 12, 62},
        {"wraps below C", {11}, 21, 108, 60, 12, 59},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        enable_only(c.enabled);
        conversion_settings.KEY_MIN = c.key_min;
        conversion_settings.KEY_MAX = c.key_max;
        std::vector<FrameNoteRecord> records = {{100, c.note, c.fine_step, 1}};
        ASSERT_EQ(snap_to_scale(records), 1);
        EXPECT_EQ(records[0].note, c.expected);
        EXPECT_EQ(records[0].fine_step, c.fine_step);
    }
}

TEST_F(ScaleSnapTest, MergesRecordsThatMeetOnOneNote)
{
    enable_only({0, 7});
    // 61 and 62 go down to 60; 64 goes up to 67 (3 up against 4 down).
    std::vector<FrameNoteRecord> records = {
        {10, 60, 5, 0}, {30, 61, 7, 1}, {20, 62, 9, 2}, {40, 64, 11, 3}, {5, 67, 12, 0},
    };
    ASSERT_EQ(snap_to_scale(records), 2);
    EXPECT_EQ(records[0].note, 60);
    EXPECT_EQ(records[0].level, 30) << "the loudest merged record wins";
    EXPECT_EQ(records[0].fine_step, 7);
    EXPECT_EQ(records[0].continuity, 1);
    EXPECT_EQ(records[1].note, 67);
    EXPECT_EQ(records[1].level, 40);
    EXPECT_EQ(records[1].fine_step, 11);
    EXPECT_EQ(records[1].continuity, 3);
}

} // namespace
