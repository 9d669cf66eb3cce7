// The piano-roll view: the event list as coloured note bars over a grid of white-key note
// lines and second lines, with a keyboard left of the plot. The MIDI player draws its
// animated roll with the same background, note and ghost drawing, on its own painter and
// with its own RollDrawState. Pens and brushes are plain values here: nothing needs releasing
// after a roll.
#pragma once

#include <QColor>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "midi/midi_event_list.h"
#include "views/roll_draw_state.h"

class QPainter;

// Fill colours of the note bars by pitch class, C to B.
extern const std::array<QColor, 12> PITCH_CLASS_COLOURS;

// Draws the event list in the displayed range into a client area of width x height pixels
// (the status-bar strip at its bottom included), the selected note outlined in green.
// Returns the status line, or nothing (the status line keeps its text) for an empty list.
// Uses roll_draw_state and sets plot_frame for the click handler. UI thread.
std::optional<std::string> draw_piano_roll_view(QPainter& painter, int width, int height);

// Clears the plot and draws the grid for a span of span_ticks across the plot width, and
// the keyboard for the displayed note range; resets state to that geometry.
void draw_roll_background(QPainter& painter, RollDrawState& state, int width, int height, int64_t span_ticks);

// One event's part of the coloured roll at position p of span s (any one time unit): a
// note-off draws the bar from its note's open note-on, outlined green (5 pixels) when
// state.highlight is 1. key_marks 1 (playback) also marks and restores the key.
void draw_note_event(QPainter& painter, RollDrawState& state, int64_t position, int64_t span,
                     const MidiEvent& event, int key_marks);

// One event's part of the grey outline roll: the same bars, white with a grey outline
// (green when state.highlight is 1).
void draw_ghost_event(QPainter& painter, RollDrawState& state, int64_t position, int64_t span,
                      const MidiEvent& event);
