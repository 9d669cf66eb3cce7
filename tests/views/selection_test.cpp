// Choosing notes under a click: the candidate rule, the three slots and stepping through
// overlapping notes on repeated clicks.
#include <gtest/gtest.h>

#include <vector>

#include "core/settings.h"
#include "midi/note_selection.h"
#include "support/midi_events.h"
#include "views/roll_selection.h"
#include "support/view_state.h"

namespace {

using test::event;

class SelectNoteAt : public test::ViewStateTest {
protected:
    void SetUp() override
    {
        ViewStateTest::SetUp();
        conversion_settings.TIME_UNIT = 1000;
        display_settings.display_note_low = 61;  // twelve rows of 10 pixels
        display_settings.display_note_high = 72;
        plot_frame.plot_width = 600;
        plot_frame.plot_height = 120;
    }
    // The note-on indices selected by clicking at (x, y) `clicks` times.
    std::vector<int> click(int x, int y, int clicks)
    {
        std::vector<int> chosen;
        for (int i = 0; i < clicks; ++i) {
            select_note_at(x, y);
            chosen.push_back(midi_event_list.selected_on);
        }
        return chosen;
    }
};

// Notes 66, 67 and 65 sound from before time 500 to 1000; a click at time 500 on the line
// of 66 (click note 66: candidates 65 to 67) finds all three.
const std::vector<MidiEvent> three_overlapping{
    event(0, 0x90, 66, 100), event(100, 0x90, 67, 90), event(150, 0x90, 65, 80),
    event(1000, 0x80, 66), event(1000, 0x80, 67), event(1000, 0x80, 65),
    event(1200, 0x90, 65, 70), event(2000, 0x80, 65),
};
constexpr int AT_500 = 30 + 500 * 600 / 2000;
constexpr int ON_66 = 55;

} // namespace

TEST_F(SelectNoteAt, RepeatedClicksStepThroughOverlappingNotes)
{
    test::load_events(three_overlapping);
    EXPECT_EQ(click(AT_500, ON_66, 4), (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(midi_event_list.selected_off, 3);
    EXPECT_EQ(note_selection.previous_selected_on, 2);
    EXPECT_EQ(note_selection.selected_note, 66);
    EXPECT_EQ(note_selection.selected_velocity, 100);
    EXPECT_EQ(note_selection.selected_off_time, 1000);

    std::vector<MidiEvent> two = three_overlapping;
    two[2] = event(150, 0x90, 60, 80);  // no candidate: two notes alternate
    two[5] = event(1000, 0x80, 60);
    test::load_events(two);
    midi_event_list.selected_on = -1;
    note_selection.previous_selected_on = -1;
    EXPECT_EQ(click(AT_500, ON_66, 4), (std::vector<int>{0, 1, 0, 1}));
}

// Clicks that find nothing leave the selection alone.
TEST_F(SelectNoteAt, ClicksWithoutCandidateChangeNothing)
{
    test::load_events(three_overlapping);
    midi_event_list.selected_on = 6;
    struct Case { const char* what; int x, y; };
    const Case cases[] = {
        {"rows far from every note", AT_500, 5},
        {"between the notes", 30 + 1100 * 600 / 2000, ON_66},
        {"on the keyboard, left of the plot", 10, ON_66},
    };
    for (const Case& c : cases)
        EXPECT_EQ(click(c.x, c.y, 1), std::vector<int>{6}) << c.what;
    plot_frame.plot_width = 0;  // never drawn
    EXPECT_EQ(click(AT_500, ON_66, 1), std::vector<int>{6});
    test::load_events({});
    EXPECT_EQ(click(AT_500, ON_66, 1), std::vector<int>{6});
}

// The click time of long data is exact: neither the data's end in milliseconds nor
// 500 pixels x 10,000,000 ticks wraps.
TEST_F(SelectNoteAt, LongDataMapsTheClickExactly)
{
    test::load_events({event(8'000'000, 0x90, 66, 100), event(9'000'000, 0x80, 66), event(10'000'000, 0x80, 70)});
    EXPECT_EQ(click(30 + 500, ON_66, 1), std::vector<int>{0});
}
