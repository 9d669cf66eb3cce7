// The status-bar texts of the two views (UTF-8, each ending in a line feed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// name with the three characters after its last "." overwritten by mark (x.wave with "WAV"
// becomes x.WAVe; a shorter extension is replaced whole); unchanged without a ".". Only the
// first PATH_CAPACITY - 1 bytes of name are looked at, as much as the path buffer holds.
std::string name_with_extension_mark(std::string_view name, std::string_view mark);

// The line the waveform view writes for wave_data: file name with "WAV", sampling rate,
// bits, channels and playing time. Stores that playing time (the wave's duration in ms) in
// the event list's duration_ms, the one duration both status lines show.
std::string wave_status_line();

// The line the piano roll writes for the event list: file name with "TXT", event count,
// duration_ms, channels_used, max_polyphony, volume_ratio and peak_code_rate, which is
// measured again and stored first.
std::string midi_status_line();

// The summed duration x velocity of the list's notes per tick of the whole list: each note
// number's first note-on opens it (a note-on of a sounding note is ignored), its next
// note-off adds (off - on) x velocity. -1 for an empty list; 0 when the first and last
// events share one time.
int32_t volume_ratio();
