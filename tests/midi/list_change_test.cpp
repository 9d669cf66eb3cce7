// Whole-list transposition and re-timing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/list_change.h"
#include "midi/midi_event_list.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using test::describe_all;
using test::describe_list;
using test::event;
using test::load_events;

namespace {

class ListChange : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        reset_list_change_settings();
    }
};

TEST_F(ListChange, TransposeShiftsEveryFirstDataByteAndDropsWhatLeaves0To127)
{
    // Notes, the low pitch-bend byte and controller numbers all move; whatever leaves the
    // range goes, a note together with its note-off.
    const std::vector<MidiEvent> events = {
        event(0, 0x90, 60, 100, 1), event(0, 0x91, 115, 90, 2), event(5, 0x92, 116, 80, 3),
        event(5, 0x90, 0, 70), event(7, 0xE0, 120, 64), event(8, 0xE0, 0, 64), event(9, 0xB0, 11, 100),
        event(10, 0x80, 60, 0, 1), event(11, 0x81, 115, 0, 2), event(12, 0x82, 116, 0, 3),
        event(13, 0x80, 0, 0)};
    struct Case {
        int32_t transpose;
        std::vector<MidiEvent> expected;
    };
    const std::vector<Case> cases = {
        {12,
         {event(0, 0x90, 72, 100, 1), event(0, 0x91, 127, 90, 2), event(5, 0x90, 12, 70), event(8, 0xE0, 12, 64),
          event(9, 0xB0, 23, 100), event(10, 0x80, 72, 0, 1), event(11, 0x81, 127, 0, 2), event(13, 0x80, 12, 0)}},
        {-1,
         {event(0, 0x90, 59, 100, 1), event(0, 0x91, 114, 90, 2), event(5, 0x92, 115, 80, 3), event(7, 0xE0, 119, 64),
          event(9, 0xB0, 10, 100), event(10, 0x80, 59, 0, 1), event(11, 0x81, 114, 0, 2), event(12, 0x82, 115, 0, 3)}},
        {0, events},
        {-200, {}},
        {INT32_MAX, {}},
        {INT32_MIN, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transpose);
        load_events(events);
        change_pitch_tempo(c.transpose, 100);
        EXPECT_EQ(describe_list(), describe_all(c.expected));
        EXPECT_EQ(midi_event_list.events.size(), events.size());
    }
}

TEST_F(ListChange, FirstDataByteAlreadyAbove127IsDroppedEvenWithoutTransposition)
{
    load_events({event(0, 0x90, 200, 1), event(1, 0x90, 60, 1)});
    change_pitch_tempo(0, 100);
    EXPECT_EQ(describe_list(), describe_all({event(1, 0x90, 60, 1)}));
}

TEST_F(ListChange, TempoRatioScalesTimesWithTruncation)
{
    const std::vector<int32_t> times = {0, 1, 3, 100, 1537, 30000000};
    struct Case {
        uint32_t ratio;
        std::vector<int32_t> expected;
    };
    const std::vector<Case> cases = {
        {200, {0, 0, 1, 50, 768, 15000000}},
        // 30000000 * 100 = 3e9 is formed as an unsigned 32-bit product, which it still fits.
        {50, {0, 2, 6, 200, 3074, 60000000}},
        {100, times},
        {0, times},  // a ratio of 0 keeps the times instead of dividing by zero
        {300, {0, 0, 1, 33, 512, 10000000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ratio);
        std::vector<MidiEvent> events;
        for (int32_t t : times)
            events.push_back(event(t, 0x90, 60, 100, 4));
        load_events(events);
        change_pitch_tempo(0, c.ratio);
        ASSERT_EQ(midi_event_list.event_count, static_cast<int32_t>(times.size()));
        for (size_t i = 0; i < times.size(); ++i) {
            EXPECT_EQ(midi_event_list.events[i].time, c.expected[i]) << "event " << i;
            EXPECT_EQ(midi_event_list.events[i].tag, 4);
        }
    }
}

TEST_F(ListChange, TimeTimesHundredWrapsAtThirtyTwoBits)
{
    // Times above 42949672 ticks (about 7.8 hours at 1536 ticks per second) overflow the
    // unsigned product time * 100 before the division: 50000000 * 100 = 5000000000 wraps
    // to 705032704, and 705032704 / 200 = 3525163. A ratio of 1 leaves the wrapped product,
    // which no longer fits a signed time: 40000000 * 100 = 4000000000 reads as -294967296.
    load_events({event(50000000, 0x90, 60, 100)});
    change_pitch_tempo(0, 200);
    EXPECT_EQ(midi_event_list.events[0].time, 3525163);
    load_events({event(40000000, 0x90, 60, 100)});
    change_pitch_tempo(0, 1);
    EXPECT_EQ(midi_event_list.events[0].time, -294967296);
}

TEST_F(ListChange, TransposeAndTempoTogetherKeepOrderAndLeaveTheSummaryAlone)
{
    load_events({event(400, 0x93, 60, 100, 3), event(200, 0xB3, 11, 90, 0), event(800, 0x83, 60, 0, 3),
                 event(900, 0x93, 125, 50, 3)});
    midi_event_list.max_polyphony = 5;
    midi_event_list.last_event_time = 900;
    change_pitch_tempo(3, 400);
    EXPECT_EQ(describe_list(),
              describe_all({event(100, 0x93, 63, 100, 3), event(50, 0xB3, 14, 90, 0), event(200, 0x83, 63, 0, 3)}));
    EXPECT_EQ(midi_event_list.max_polyphony, 5);
    EXPECT_EQ(midi_event_list.last_event_time, 900u);
}

TEST_F(ListChange, EmptyListStaysEmpty)
{
    create_event_list(0);
    change_pitch_tempo(5, 50);
    EXPECT_EQ(midi_event_list.event_count, 0);
    EXPECT_TRUE(midi_event_list.events.empty());
}

} // namespace
