// Turns the note segments of note extraction into a new MIDI event list.
#pragma once

#include <cstdint>

// Caption and text of the message shown once per build when more notes sound at once
// than the pending note-off buffer holds.
inline constexpr const char* NOTE_OFF_OVERFLOW_CAPTION = "MIDI出力ファイルエラー";
inline constexpr const char* NOTE_OFF_OVERFLOW_TEXT = "MIDIノートオフ・バッファサイズを超えました。";

// Replaces the event list with one note-on and note-off per segment (plus pitch-bend and
// expression pairs from the pitch points with FINE_NOTE), releases both segment lists and
// returns the time of the last event appended (0 when none was).
int32_t build_note_events();
