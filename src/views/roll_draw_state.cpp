#include "views/roll_draw_state.h"

#include <algorithm>
#include <cstddef>

RollDrawState roll_draw_state;

void reset_roll_draw_state(RollDrawState& state, const RollGeometry& geometry)
{
    state.pending_on_position.fill(0);
    state.pending_on_velocity.fill(0);
    state.channel_note.fill(-1);
    state.highlight = 0;
    state.geometry = geometry;
}

RollEventShapes roll_event_shapes(RollDrawState& state, int64_t position, int64_t span,
                                  const MidiEvent& event, bool key_marks)
{
    RollEventShapes shapes;
    const bool on = is_note_on(event);
    if ((!on && !is_note_off(event)) || event.data1 > 127)
        return shapes;
    const size_t note = event.data1;
    const size_t channel = static_cast<size_t>(event_channel(event));
    const RollGeometry& g = state.geometry;
    const bool has_rows = roll_row_count(g) > 0;
    if (on) {
        state.pending_on_position[note] = position;
        state.pending_on_velocity[note] = event.data2;
        state.channel_note[channel] = static_cast<int32_t>(note);
        if (key_marks && has_rows) {
            shapes.key_mark = KeyMarkFill::sounding;
            shapes.key_mark_rect = key_mark_rect(g, event.data1);
            shapes.key_mark_rect.right = shapes.key_mark_rect.left + std::min(event.data2 * 24 / 127, 11);
        }
        return shapes;
    }
    if (has_rows) {
        const int32_t x_on = roll_x(g.frame, state.pending_on_position[note], span);
        const int32_t x = roll_x(g.frame, position, span);
        shapes.has_bar = true;
        shapes.bar = note_bar_rect(g, event.data1, x_on, x, state.pending_on_velocity[note]);
        shapes.pitch_class = pitch_class(event.data1);
        shapes.highlight = state.highlight == 1;
        if (key_marks) {
            shapes.key_mark = is_black_key(event.data1) ? KeyMarkFill::black_key : KeyMarkFill::white_key;
            shapes.key_mark_rect = key_mark_rect(g, event.data1);
        }
    }
    state.pending_on_position[note] = 0;
    state.pending_on_velocity[note] = 0;
    state.channel_note[channel] = -1;
    return shapes;
}
