#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/note_filter.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using test::describe_list;
using test::event;
using test::load_events;

namespace {

class Filter : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        reset_filter_settings();
    }
};

// Note 60 from 0 to 400 at velocity 50, then from second_on to 900 at second_velocity.
std::vector<MidiEvent> two_notes(int32_t second_on, int second_velocity)
{
    return {event(0, 0x90, 60, 50), event(400, 0x80, 60, 0), event(second_on, 0x90, 60, second_velocity),
            event(900, 0x80, 60, 0)};
}

TEST_F(Filter, ConnectionJoinsCloseNotesOfOnePitch)
{
    struct Case {
        const char* name;
        int32_t second_on;
        int second_velocity;
        bool connects;
    };
    const std::vector<Case> cases = {
        {"close", 450, 55, true},
        {"gap 150", 550, 55, false},
        {"velocity step 11", 450, 61, false},
        {"velocity step -11", 450, 39, false},
        {"gap exactly the limit", 500, 55, true},
        {"velocity step exactly the limit", 450, 60, true},
        {"velocity step exactly the limit downward", 450, 40, true},
        {"second note-on before the note-off ends", 300, 50, true},
    };
    for (const Case& c : cases) {
        SetUp();
        conversion_settings.FLT_CONNECT = 1;
        load_events(two_notes(c.second_on, c.second_velocity));
        filter_events();
        if (c.connects) {
            EXPECT_EQ(describe_list(), (std::vector<std::string>{"90 60 50 @0 t0", "80 60 0 @900 t0"})) << c.name;
        } else {
            EXPECT_EQ(midi_event_list.event_count, 4) << c.name;
        }
    }
}

TEST_F(Filter, NoConnectionWhenSwitchedOff)
{
    load_events(two_notes(450, 55));
    filter_events();
    EXPECT_EQ(midi_event_list.event_count, 4);
}

TEST_F(Filter, ConnectionChainsAndIgnoresChannels)
{
    conversion_settings.FLT_CONNECT = 1;
    filter_settings.FILTER_LENGTH_MIN = 1;
    // Each note is compared with the one before it: 50 -> 58 -> 66 all connect.
    load_events({event(0, 0x90, 60, 50), event(100, 0x80, 60, 0), event(150, 0x91, 60, 58), event(300, 0x81, 60, 0),
                 event(320, 0x92, 60, 66), event(500, 0x82, 60, 0)});
    filter_events();
    EXPECT_EQ(describe_list(), (std::vector<std::string>{"90 60 50 @0 t0", "82 60 0 @500 t0"}));
}

TEST_F(Filter, OtherNoteNumbersDoNotConnect)
{
    conversion_settings.FLT_CONNECT = 1;
    load_events({event(0, 0x90, 60, 50), event(400, 0x80, 60, 0), event(450, 0x90, 61, 50), event(900, 0x80, 61, 0)});
    filter_events();
    EXPECT_EQ(midi_event_list.event_count, 4);
}

TEST_F(Filter, RemovalOfShortQuietAndUnmatchedNotes)
{
    struct Case {
        const char* name;
        std::vector<MidiEvent> events;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"length exactly the limit", {event(0, 0x90, 60, 50), event(300, 0x80, 60, 0)},
         {"90 60 50 @0 t0", "80 60 0 @300 t0"}},
        {"one tick shorter", {event(0, 0x90, 60, 50), event(299, 0x80, 60, 0)}, {}},
        {"velocity exactly the limit", {event(0, 0x90, 60, 20), event(500, 0x80, 60, 0)},
         {"90 60 20 @0 t0", "80 60 0 @500 t0"}},
        {"too quiet: note-off closes nothing", {event(0, 0x90, 60, 19), event(500, 0x80, 60, 0)}, {}},
        {"unmatched note-off", {event(0, 0x80, 60, 0), event(10, 0x90, 61, 50), event(500, 0x80, 61, 0)},
         {"90 61 50 @10 t0", "80 61 0 @500 t0"}},
        {"second note-off of one note", {event(0, 0x90, 60, 50), event(500, 0x80, 60, 0), event(600, 0x80, 60, 0)},
         {"90 60 50 @0 t0", "80 60 0 @500 t0"}},
        {"note-off on another channel closes the note", {event(0, 0x93, 60, 50), event(500, 0x85, 60, 0)},
         {"93 60 50 @0 t0", "85 60 0 @500 t0"}},
        {"note-on without note-off stays", {event(0, 0x90, 60, 50)}, {"90 60 50 @0 t0"}},
        {"bend and control events stay",
         {event(0, 0xE0, 0, 64), event(0, 0x90, 60, 5), event(10, 0xB0, 11, 100), event(20, 0x80, 60, 0),
          event(30, 0xE3, 5, 70)},
         {"E0 0 64 @0 t0", "B0 11 100 @10 t0", "E3 5 70 @30 t0"}},
        {"note numbers above 127", {event(0, 0x90, 200, 50), event(10, 0x80, 200, 0), event(20, 0x80, 255, 0)}, {}},
    };
    for (const Case& c : cases) {
        SetUp();
        load_events(c.events);
        filter_events();
        EXPECT_EQ(describe_list(), c.expected) << c.name;
    }
}

TEST_F(Filter, BendAndControlEventsSurviveConnection)
{
    conversion_settings.FLT_CONNECT = 1;
    load_events({event(0, 0x90, 60, 50, 3), event(200, 0xE0, 1, 64), event(400, 0x80, 60, 0, 3),
                 event(420, 0xB0, 11, 90), event(450, 0x90, 60, 55, 4), event(900, 0x80, 60, 0, 4)});
    filter_events();
    EXPECT_EQ(describe_list(),
              (std::vector<std::string>{"90 60 50 @0 t3", "E0 1 64 @200 t0", "B0 11 90 @420 t0", "80 60 0 @900 t4"}));
}

TEST_F(Filter, EmptyListStaysEmpty)
{
    load_events({});
    midi_event_list.last_event_time = 77;
    filter_events();
    EXPECT_EQ(midi_event_list.event_count, 0);
    EXPECT_EQ(midi_event_list.last_event_time, 77u);
}

TEST_F(Filter, CountBeyondTheArrayIsNotRead)
{
    load_events({event(0, 0x90, 60, 50), event(500, 0x80, 60, 0)});
    midi_event_list.event_count = 10;
    filter_events();
    EXPECT_EQ(midi_event_list.event_count, 2);
}

TEST_F(Filter, ConnectionCheckBoxSetsTheLimits)
{
    filter_settings.FILTER_VELOCITY_MIN = 7;
    filter_settings.FILTER_LENGTH_MIN = 8;
    toggle_filter_connection();
    EXPECT_EQ(conversion_settings.FLT_CONNECT, 1);
    EXPECT_EQ(filter_settings.FILTER_VELOCITY_MIN, 1);
    EXPECT_EQ(filter_settings.FILTER_LENGTH_MIN, 1);
    toggle_filter_connection();
    EXPECT_EQ(conversion_settings.FLT_CONNECT, 0);
    EXPECT_EQ(filter_settings.FILTER_VELOCITY_MIN, 20);
    EXPECT_EQ(filter_settings.FILTER_LENGTH_MIN, 300);
}

TEST_F(Filter, ConnectionWithCheckBoxLimitsKeepsShortNotes)
{
    toggle_filter_connection();
    load_events({event(0, 0x90, 60, 2), event(5, 0x80, 60, 0), event(10, 0x90, 62, 50), event(10, 0x80, 62, 0)});
    filter_events();
    EXPECT_EQ(describe_list(), (std::vector<std::string>{"90 60 2 @0 t0", "80 60 0 @5 t0"}));
}

} // namespace
