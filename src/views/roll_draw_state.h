// The state of one roll while it is drawn: the open note of each note number, and what
// each event adds to the picture. The view keeps one (roll_draw_state); the MIDI player
// keeps its own for the roll it animates.
#pragma once

#include <array>
#include <cstdint>

#include "midi/midi_event_list.h"
#include "views/roll_geometry.h"

struct RollDrawState {
    // Position (in the caller's time unit, relative to the drawn range) and velocity of the
    // last note-on of each note number not yet closed; 0 when none is open.
    std::array<int64_t, 128> pending_on_position{};
    std::array<int32_t, 128> pending_on_velocity{};
    std::array<int32_t, 16> channel_note{};  // note of the channel's last note-on, -1 after its note-off
    int32_t highlight = 0;  // set by the caller before each event: 1 for the selected note's events
    RollGeometry geometry;  // the rows and frame of the background this roll is drawn on
};

// The view's drawing state, reset by every background drawing of the view.
extern RollDrawState roll_draw_state;

// Starts a roll on a background of the given geometry: no note open, no highlight.
void reset_roll_draw_state(RollDrawState& state, const RollGeometry& geometry);

enum class KeyMarkFill { none, sounding, black_key, white_key };

// What one event draws. Bars and key marks need note rows (N > 0); the open notes are kept
// whatever the geometry.
struct RollEventShapes {
    bool has_bar = false;
    PixelRect bar;               // from the note-on's x to the note-off's x
    int32_t pitch_class = 0;     // the bar's fill colour
    bool highlight = false;      // the selected note: outlined in green
    KeyMarkFill key_mark = KeyMarkFill::none;
    PixelRect key_mark_rect;
};

// Takes one event at position p of span s into the roll: a note-on (any velocity) opens its
// note number, a note-off closes it and yields the bar from the open position (0 when none
// was open, which gives a bar of zero height). With key_marks, a note-on marks its key red
// (wider for louder notes) and a note-off restores the key. Other events, and note numbers
// above 127, draw nothing.
RollEventShapes roll_event_shapes(RollDrawState& state, int64_t position, int64_t span,
                                  const MidiEvent& event, bool key_marks);
