// What each event adds to a roll: one open note per note number, bars from the open
// note-on, and the key marks of playback.
#include <gtest/gtest.h>

#include "support/midi_events.h"
#include "views/roll_draw_state.h"

namespace {

using test::event;

// Twelve rows of 10 pixels for notes 61 to 72; 600 pixels for a span of 1000.
RollDrawState fresh_state()
{
    RollGeometry g;
    g.frame.plot_width = 600;
    g.frame.plot_height = 120;
    g.note_low = 61;
    g.note_high = 72;
    RollDrawState state;
    reset_roll_draw_state(state, g);
    return state;
}

struct Step {
    MidiEvent event;
    bool has_bar;
    PixelRect bar;  // when has_bar
};

} // namespace

// Overlapping notes of one pitch share one slot: the first note-off draws from the later
// note-on, the second a zero-height bar from plot_left. Other events draw nothing.
TEST(RollEvents, OnePendingSlotPerNoteNumber)
{
    RollDrawState state = fresh_state();
    const Step steps[] = {
        {event(100, 0x90, 66, 64), false, {}},
        {event(200, 0x91, 66, 32), false, {}},
        {event(250, 0xB0, 11, 100), false, {}},
        {event(300, 0x80, 66), true, {150, 55, 210, 65}},
        {event(400, 0x81, 66), true, {30, 60, 270, 60}},
        {event(450, 0x80, 200), false, {}},  // no such note number
    };
    for (const Step& s : steps) {
        const RollEventShapes shapes = roll_event_shapes(state, s.event.time, 1000, s.event, false);
        ASSERT_EQ(shapes.has_bar, s.has_bar) << s.event.time;
        EXPECT_EQ(shapes.key_mark, KeyMarkFill::none);
        if (s.has_bar) {
            EXPECT_TRUE(shapes.bar == s.bar) << s.event.time;
            EXPECT_EQ(shapes.pitch_class, 6);
        }
    }
    EXPECT_EQ(state.channel_note[1], -1);
}

// Playback marks a sounding key red, wider for louder notes (at most 11 pixels), and
// restores it at the note-off; the highlight is taken from the caller.
TEST(RollEvents, KeyMarksAndHighlight)
{
    RollDrawState state = fresh_state();
    struct Case { MidiEvent event; KeyMarkFill fill; int left, right; };
    const Case cases[] = {
        {event(0, 0x90, 66, 127), KeyMarkFill::sounding, 0, 11},
        {event(0, 0x90, 67, 10), KeyMarkFill::sounding, 17, 18},
        {event(0, 0x90, 64, 0), KeyMarkFill::sounding, 17, 17},
        {event(9, 0x80, 66), KeyMarkFill::black_key, 0, 15},
        {event(9, 0x80, 67), KeyMarkFill::white_key, 17, 28},
    };
    for (const Case& c : cases) {
        const RollEventShapes shapes = roll_event_shapes(state, c.event.time, 1000, c.event, true);
        EXPECT_EQ(shapes.key_mark, c.fill) << int(c.event.data1);
        EXPECT_EQ(shapes.key_mark_rect.left, c.left) << int(c.event.data1);
        EXPECT_EQ(shapes.key_mark_rect.right, c.right) << int(c.event.data1);
    }
    state.highlight = 1;
    EXPECT_TRUE(roll_event_shapes(state, 20, 1000, event(20, 0x80, 64), false).highlight);

    RollDrawState no_rows = fresh_state();
    no_rows.geometry.note_low = 80;  // above note_high: no rows, nothing to draw
    roll_event_shapes(no_rows, 5, 1000, event(5, 0x90, 66, 90), true);
    EXPECT_EQ(no_rows.pending_on_velocity[66], 90);
    EXPECT_FALSE(roll_event_shapes(no_rows, 9, 1000, event(9, 0x80, 66), true).has_bar);
}
