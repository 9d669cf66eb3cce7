// Writes the event list as a Standard MIDI File: format 0, one track, 384 ticks per quarter
// note, and a tempo that makes one tick last 1/TIME_UNIT second.
#pragma once

#include <cstdint>

// Division of every file written: list times are written unscaled against it.
inline constexpr int32_t SMF_TICKS_PER_QUARTER = 384;

// Lowest and highest TIME_UNIT whose tempo (384000000 / TIME_UNIT microseconds per quarter
// note) fits the 24 bits of the tempo event and is not 0.
inline constexpr int32_t SMF_MIN_TIME_UNIT = 23;
inline constexpr int32_t SMF_MAX_TIME_UNIT = 384000000;

// The first setting a Standard MIDI File cannot hold (TIME_UNIT outside SMF_MIN_TIME_UNIT..
// SMF_MAX_TIME_UNIT), as a clear English sentence, or nullptr. Callers that will write one
// ask before they write anything else.
const char* smf_settings_problem();

// Writes the list with its channel set-up to path. Returns the length in bytes of the
// track's variable part (set-up, list events, final interval), or -1 when nothing was
// written: empty list, a setting smf_settings_problem() names, or a file that cannot be
// written completely (a previous file at path then stays as it was). Sets last_event_time to the sum of the written intervals and
// duration_ms from it; source_name stays.
int32_t write_smf(const char* path);
