// Single-note editing: delete, modify and add, the placement by time and the same-pitch
// overlap rules, and the index-based selection they work on.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "midi/midi_event_list.h"
#include "midi/note_editing.h"
#include "midi/note_selection.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using test::describe_all;
using test::describe_list;
using test::load_events;

namespace {

MidiEvent on(int32_t time, int note, int velocity = 100, int channel = 0, int tag = 0)
{
    return test::event(time, 0x90 | channel, note, velocity, tag);
}

MidiEvent off(int32_t time, int note, int channel = 0, int tag = 0, int velocity = 0)
{
    return test::event(time, 0x80 | channel, note, velocity, tag);
}

MidiEvent bend(int32_t time, int low, int high) { return test::event(time, 0xE0, low, high); }

void set_note_values(int note, int32_t on_time, int32_t off_time, int velocity)
{
    note_selection.selected_note = note;
    note_selection.selected_on_time = on_time;
    note_selection.selected_off_time = off_time;
    note_selection.selected_velocity = velocity;
}

void expect_deselected()
{
    EXPECT_EQ(midi_event_list.selected_on, -1);
    EXPECT_EQ(midi_event_list.selected_off, -1);
}

class NoteEditing : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        reset_note_selection();
    }
};

TEST_F(NoteEditing, SelectingByIndexPairsTheNoteOffAsThePianoRollDoes)
{
    struct Case {
        const char* name;
        std::vector<MidiEvent> events;
        int32_t on_index;
        int32_t expected_off;
    };
    const std::vector<Case> cases = {
        {"other notes between", {on(0, 60), on(10, 62), off(20, 62), off(30, 60)}, 0, 3},
        {"any channel closes", {on(0, 60, 100, 3), off(20, 60, 5)}, 0, 1},
        {"earlier same pitch closes first", {on(0, 60), on(10, 60), off(20, 60), off(30, 60)}, 1, 3},
        {"first of two same pitch", {on(0, 60), on(10, 60), off(20, 60), off(30, 60)}, 0, 2},
        // A later note starting after the selected one takes no slot, so the freed slot A
        // does not steal the selected note's note-off.
        {"later restart takes no slot",
         {on(0, 60), on(10, 60), off(20, 60), on(30, 60), off(40, 60), off(50, 60)}, 1, 4},
        {"three already sounding", {on(0, 60), on(1, 60), on(2, 60), on(3, 60), off(9, 60)}, 3, -1},
        {"no note-off", {on(0, 60), off(10, 61)}, 0, -1},
        {"not a note-on", {on(0, 60), off(10, 60)}, 1, -1},
        {"pitch bend", {bend(0, 60, 64), off(10, 60)}, 0, -1},
        {"index past the end", {on(0, 60), off(10, 60)}, 2, -1},
        {"negative index", {on(0, 60), off(10, 60)}, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::reset_engine_state();
        reset_note_selection();
        load_events(c.events);
        EXPECT_EQ(select_note_at_index(c.on_index), c.expected_off);
        EXPECT_EQ(midi_event_list.selected_on, c.expected_off < 0 ? -1 : c.on_index);
        EXPECT_EQ(midi_event_list.selected_off, c.expected_off);
    }
}

TEST_F(NoteEditing, SelectingFillsTheNoteValuesAndRemembersThePreviousNote)
{
    load_events({on(0, 60, 90), on(15, 64, 70), off(40, 64), off(50, 60)});
    ASSERT_EQ(select_note_at_index(0), 3);
    ASSERT_EQ(select_note_at_index(1), 2);
    EXPECT_EQ(note_selection.selected_note, 64);
    EXPECT_EQ(note_selection.selected_on_time, 15);
    EXPECT_EQ(note_selection.selected_off_time, 40);
    EXPECT_EQ(note_selection.selected_velocity, 70);
    EXPECT_EQ(note_selection.previous_selected_on, 0);
}

TEST_F(NoteEditing, ModifyWithUnchangedTimesEditsTheTwoEventsInPlace)
{
    load_events({on(0, 60, 100, 2, 2), bend(10, 5, 64), on(20, 64), off(100, 60, 2, 2, 64), off(120, 64)});
    ASSERT_EQ(select_note_at_index(0), 3);
    set_note_values(62, 0, 100, 70);
    modify_selected_note();
    EXPECT_EQ(describe_list(),
              describe_all({on(0, 62, 70, 2, 2), bend(10, 5, 64), on(20, 64), off(100, 62, 2, 2), off(120, 64)}));
    expect_deselected();
}

TEST_F(NoteEditing, ModifyMovesTheNoteBeforeTheFirstLaterEvents)
{
    struct Case {
        const char* name;
        int32_t on_time, off_time;
        std::vector<MidiEvent> expected;
    };
    const std::vector<Case> cases = {
        {"later", 250, 450,
         {on(200, 62), on(250, 60, 80), off(300, 62), on(400, 64), off(450, 60), off(500, 64)}},
        // An event at exactly the new time stays in front of the moved one.
        {"onto event times", 300, 500,
         {on(200, 62), off(300, 62), on(300, 60, 80), on(400, 64), off(500, 64), off(500, 60)}},
        {"past the end", 600, 700,
         {on(200, 62), off(300, 62), on(400, 64), off(500, 64), on(600, 60, 80), off(700, 60)}},
        {"earlier", 0, 150,
         {on(0, 60, 80), off(150, 60), on(200, 62), off(300, 62), on(400, 64), off(500, 64)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::reset_engine_state();
        load_events({on(100, 60), off(180, 60), on(200, 62), off(300, 62), on(400, 64), off(500, 64)});
        ASSERT_EQ(select_note_at_index(0), 1);
        set_note_values(60, c.on_time, c.off_time, 80);
        modify_selected_note();
        EXPECT_EQ(describe_list(), describe_all(c.expected));
        EXPECT_EQ(midi_event_list.event_count, 6);
        expect_deselected();
    }
}

TEST_F(NoteEditing, AddAtOrAfterTheLastEventAppendsWithTheSelectedNotesStatusAndTag)
{
    for (int32_t start : {200, 500}) {
        SCOPED_TRACE(start);
        test::reset_engine_state();
        const std::vector<MidiEvent> old = {on(0, 60, 100, 3, 7), off(100, 60, 3, 5), on(100, 62), off(200, 62)};
        load_events(old);
        const size_t old_capacity = midi_event_list.events.size();
        ASSERT_EQ(select_note_at_index(0), 1);
        set_note_values(65, start, start + 100, 90);
        add_note();
        std::vector<MidiEvent> expected = old;
        expected.push_back(on(start, 65, 90, 3, 7));
        expected.push_back(off(start + 100, 65, 3, 5));
        EXPECT_EQ(describe_list(), describe_all(expected));
        EXPECT_EQ(midi_event_list.events.size(), old_capacity + 2);
        expect_deselected();
    }
}

TEST_F(NoteEditing, NoteOffDueBeforeTheSameEventAsItsNoteOnIsWrittenAfterIt)
{
    load_events({on(0, 62), off(1000, 62), on(1100, 64), off(1200, 64)});
    ASSERT_EQ(select_note_at_index(0), 1);
    set_note_values(60, 100, 200, 100);
    add_note();
    EXPECT_EQ(describe_list(),
              describe_all({on(0, 62), on(100, 60), off(1000, 62), off(200, 60), on(1100, 64), off(1200, 64)}));
}

TEST_F(NoteEditing, AddedNoteCutsTheSamePitchNoteSoundingAtItsStart)
{
    // 60 sounds 0..300; the added 60 at 100..200 ends it at 100 and nothing resumes at 200.
    load_events({on(0, 60, 100, 1, 1), on(50, 64), off(250, 64), off(300, 60, 1, 1)});
    ASSERT_EQ(select_note_at_index(0), 3);
    set_note_values(60, 100, 200, 90);
    add_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 60, 100, 1, 1), on(50, 64), off(100, 60, 1, 1),
                                             on(100, 60, 90, 1, 1), off(250, 64), off(200, 60, 1, 1)}));
    EXPECT_EQ(midi_event_list.event_count, 6);
    expect_deselected();
}

TEST_F(NoteEditing, AddedNoteSwallowsAnInnerStartAndLetsThatNoteResumeAtItsEnd)
{
    // 60 sounds 200..500 on channel 2; the added 60 at 100..400 (from the channel-1 note)
    // drops the note-on at 200 and writes one at 400 with channel 2's status, velocity and tag.
    load_events({on(0, 62, 80, 1, 1), off(50, 62, 1, 1), on(200, 60, 90, 2, 2), off(500, 60, 2, 2)});
    ASSERT_EQ(select_note_at_index(0), 1);
    set_note_values(60, 100, 400, 100);
    add_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 62, 80, 1, 1), off(50, 62, 1, 1), on(100, 60, 100, 1, 1),
                                             off(400, 60, 1, 1), on(400, 60, 90, 2, 2), off(500, 60, 2, 2)}));
}

TEST_F(NoteEditing, ResumingNoteIsTheFirstStartAfterTheLastEndInsideTheEditedNote)
{
    // Inside the added 60 at 100..400, the last same-pitch note-off is at 250; of the
    // note-ons after it, the one at 300 resumes at 400.
    load_events({on(0, 62), off(50, 62), on(150, 60, 50, 1, 1), on(200, 60, 90, 2, 2), off(250, 60, 2),
                 on(300, 60, 70, 3, 3), on(320, 60, 60, 4, 4), off(500, 60), off(600, 60)});
    ASSERT_EQ(select_note_at_index(0), 1);
    set_note_values(60, 100, 400, 100);
    add_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 62), off(50, 62), on(100, 60), off(400, 60), on(400, 60, 70, 3, 3),
                                             off(500, 60), off(600, 60)}));
}

TEST_F(NoteEditing, SamePitchNoteOnAtTheEditedStartIsRemoved)
{
    // The old 60 at 100..300 loses its note-on (same start) and its note-off (inside the
    // added note); the added note sounds alone.
    load_events({on(0, 62), off(50, 62), on(100, 60, 70), off(300, 60)});
    ASSERT_EQ(select_note_at_index(0), 1);
    set_note_values(60, 100, 200, 100);
    add_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 62), off(50, 62), on(100, 60), off(200, 60)}));
}

TEST_F(NoteEditing, OverlapRulesLeaveOtherPitchesAndNonNoteEventsAlone)
{
    // A pitch bend whose low byte equals the note number is no note and stays.
    load_events({on(0, 62), off(50, 62), on(150, 61), bend(160, 60, 64), off(170, 61), on(180, 59), off(190, 59)});
    ASSERT_EQ(select_note_at_index(0), 1);
    set_note_values(60, 100, 200, 100);
    add_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 62), off(50, 62), on(100, 60), on(150, 61), bend(160, 60, 64),
                                             off(170, 61), on(180, 59), off(190, 59), off(200, 60)}));
}

TEST_F(NoteEditing, CuttingANoteWithoutNoteOffGrowsTheArrayInsteadOfOverrunningIt)
{
    // The 60 at 0 never ends: the cut adds a note-off and nothing is removed, so the
    // rebuilt list is one event longer than the array it started in.
    load_events({on(0, 60), on(50, 62), off(300, 62)});
    ASSERT_EQ(select_note_at_index(1), 2);
    set_note_values(60, 100, 200, 100);
    modify_selected_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 60), off(100, 60), on(100, 60), off(200, 60)}));
    EXPECT_GE(midi_event_list.events.size(), 4u);
}

TEST_F(NoteEditing, ModifyingIntoAnotherNotesPitchAppliesTheOverlapRules)
{
    // The 62 becomes a 64 at 100..150 inside the 64 at 0..300: the old 64 is cut at 100,
    // and its note-off at 300 goes.
    load_events({on(0, 64), on(100, 62), off(150, 62), off(300, 64)});
    ASSERT_EQ(select_note_at_index(1), 2);
    set_note_values(64, 100, 160, 100);
    modify_selected_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 64), off(100, 64), on(100, 64), off(160, 64)}));
}

TEST_F(NoteEditing, DeleteRemovesExactlyTheSelectedPairAndKeepsTheArray)
{
    load_events({on(0, 62), on(10, 60), bend(20, 1, 64), off(30, 60), off(40, 62)});
    ASSERT_EQ(select_note_at_index(1), 3);
    delete_selected_note();
    EXPECT_EQ(describe_list(), describe_all({on(0, 62), bend(20, 1, 64), off(40, 62)}));
    EXPECT_EQ(midi_event_list.events.size(), 5u);
    expect_deselected();
}

TEST_F(NoteEditing, InvalidSelectionsChangeNothing)
{
    struct Selection {
        int32_t on, off;
    };
    const std::vector<MidiEvent> events = {on(0, 60), off(10, 60), on(20, 62), off(30, 62)};
    const std::vector<Selection> selections = {{-1, -1}, {-1, 1}, {0, -1}, {2, 1}, {1, 1},
                                               {0, 4}, {4, 5}, {-3, 1}, {0, 1000000}};
    const std::vector<std::pair<const char*, void (*)()>> operations = {
        {"delete", delete_selected_note}, {"modify", modify_selected_note}, {"add", add_note}};
    for (const auto& [name, operation] : operations) {
        for (const Selection& s : selections) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(s.on) + "," + std::to_string(s.off));
            test::reset_engine_state();
            load_events(events);
            midi_event_list.selected_on = s.on;
            midi_event_list.selected_off = s.off;
            set_note_values(61, 5, 25, 90);
            operation();
            EXPECT_EQ(describe_list(), describe_all(events));
            EXPECT_EQ(midi_event_list.events.size(), events.size());
            EXPECT_EQ(midi_event_list.selected_on, s.on);
            EXPECT_EQ(midi_event_list.selected_off, s.off);
        }
        SCOPED_TRACE(std::string(name) + " on an empty list");
        test::reset_engine_state();
        create_event_list(4);
        midi_event_list.selected_on = 0;
        midi_event_list.selected_off = 1;
        operation();
        EXPECT_EQ(midi_event_list.event_count, 0);
        EXPECT_EQ(midi_event_list.selected_on, 0);
    }
}

} // namespace
