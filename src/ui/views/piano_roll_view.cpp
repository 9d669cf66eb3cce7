#include "ui/views/piano_roll_view.h"

#include <QPainter>
#include <cstddef>

#include "core/settings.h"
#include "ui/views/gdi_drawing.h"
#include "views/display_settings.h"
#include "views/plot_frame.h"
#include "views/roll_geometry.h"
#include "views/roll_range.h"
#include "views/status_lines.h"

const std::array<QColor, 12> PITCH_CLASS_COLOURS = {
    rgb(255, 0, 0),   rgb(255, 128, 0), rgb(255, 255, 0), rgb(128, 255, 0),
    rgb(0, 255, 0),   rgb(0, 255, 128), rgb(0, 255, 255), rgb(0, 128, 255),
    rgb(0, 0, 255),   rgb(128, 0, 255), rgb(255, 0, 255), rgb(255, 0, 128),
};

namespace {

const GdiPen OUTLINE_PEN{rgb(0, 0, 0), 1};
const GdiPen GHOST_PEN{rgb(150, 150, 150), 1};
const GdiPen HIGHLIGHT_PEN{rgb(0, 128, 0), 5};
const GdiPen KEY_PEN{rgb(0, 0, 0), 1};
const QColor LABEL_COLOUR = rgb(0, 0, 80);

GdiPen grid_pen(GridPen kind)
{
    switch (kind) {
    case GridPen::strong:
        return {rgb(0, 0, 0), 2};
    case GridPen::medium:
        return {rgb(80, 80, 80), 1};
    case GridPen::light:
        break;
    }
    return {rgb(150, 150, 150), 1};
}

void draw_note_lines(QPainter& painter, const RollGeometry& g)
{
    const PlotFrame& f = g.frame;
    for (const int64_t note : roll_notes_to_draw(g, false)) {
        const int32_t y = note_lines(g, note).y;
        gdi_line(painter, grid_pen(note_line_pen(note)), {f.plot_left, y}, {f.plot_left + f.plot_width - 1, y});
    }
}

void draw_keyboard(QPainter& painter, const RollGeometry& g)
{
    const PlotFrame& f = g.frame;
    gdi_fill_rect(painter, {0, f.plot_top, PLOT_LEFT, f.plot_top + f.plot_height}, Qt::white);
    for (const int64_t note : roll_notes_to_draw(g, false))
        gdi_rectangle(painter, KEY_PEN, Qt::white, white_key_rect(g, note));
    for (const int64_t note : roll_notes_to_draw(g, true))
        gdi_fill_rect(painter, black_key_rect(g, note), Qt::black);
}

void draw_second_labels(QPainter& painter, const PlotFrame& f, const std::vector<SecondMark>& marks)
{
    const auto width = [](const std::string& text) {
        return static_cast<int32_t>(gdi_text_width(QString::fromStdString(text)));
    };
    for (const SecondMark& mark : labelled_second_marks(marks, width))
        gdi_text(painter, mark.x, f.plot_top + f.plot_height - 16,
                 QString::fromStdString(second_label_text(mark.second)), LABEL_COLOUR, Qt::white);
}

void draw_key_mark(QPainter& painter, const RollEventShapes& shapes)
{
    switch (shapes.key_mark) {
    case KeyMarkFill::none:
        return;
    case KeyMarkFill::sounding:
        gdi_fill_rect(painter, shapes.key_mark_rect, PITCH_CLASS_COLOURS[0]);
        return;
    case KeyMarkFill::black_key:
        gdi_fill_rect(painter, shapes.key_mark_rect, Qt::black);
        return;
    case KeyMarkFill::white_key:
        gdi_fill_rect(painter, shapes.key_mark_rect, Qt::white);
        return;
    }
}

} // namespace

void draw_roll_background(QPainter& painter, RollDrawState& state, int width, int height, int64_t span_ticks)
{
    const PlotFrame frame = compute_plot_frame(width, height, FULL_PLOT_LAYOUT);
    gdi_fill_rect(painter, frame.frame_rect, Qt::white);
    reset_roll_draw_state(state, {frame, display_settings.display_note_low, display_settings.display_note_high});
    const RollGeometry& g = state.geometry;
    draw_note_lines(painter, g);
    const std::vector<SecondMark> marks = second_marks(frame, conversion_settings.TIME_UNIT, span_ticks);
    for (const SecondMark& mark : marks)
        gdi_line(painter, grid_pen(second_line_pen(mark.second)), {mark.x, frame.plot_top},
                 {mark.x, frame.plot_top + frame.plot_height - 1});
    draw_keyboard(painter, g);
    draw_second_labels(painter, frame, marks);
}

void draw_note_event(QPainter& painter, RollDrawState& state, int64_t position, int64_t span,
                     const MidiEvent& event, int key_marks)
{
    const RollEventShapes shapes = roll_event_shapes(state, position, span, event, key_marks == 1);
    if (shapes.has_bar)
        gdi_rectangle(painter, shapes.highlight ? HIGHLIGHT_PEN : OUTLINE_PEN,
                      PITCH_CLASS_COLOURS[static_cast<size_t>(shapes.pitch_class)], shapes.bar);
    draw_key_mark(painter, shapes);
}

void draw_ghost_event(QPainter& painter, RollDrawState& state, int64_t position, int64_t span,
                      const MidiEvent& event)
{
    const RollEventShapes shapes = roll_event_shapes(state, position, span, event, false);
    if (shapes.has_bar)
        gdi_rectangle(painter, shapes.highlight ? HIGHLIGHT_PEN : GHOST_PEN, Qt::white, shapes.bar);
}

std::optional<std::string> draw_piano_roll_view(QPainter& painter, int width, int height)
{
    const int32_t count = valid_event_count();
    if (count == 0)
        return std::nullopt;
    const RollRange range = displayed_roll_range();
    RollDrawState& state = roll_draw_state;
    draw_roll_background(painter, state, width, height, range.span);
    plot_frame = state.geometry.frame;
    const MidiEventList& list = midi_event_list;
    for (int32_t i = 0; i < count; ++i) {
        const MidiEvent& e = list.events[static_cast<size_t>(i)];
        state.highlight = i == list.selected_on || i == list.selected_off ? 1 : 0;
        if (roll_range_holds(range, e))
            draw_note_event(painter, state, roll_position(range, e), range.span, e, 0);
    }
    return midi_status_line();
}
