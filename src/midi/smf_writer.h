// Writes the event list as a Standard MIDI File: format 0, one track, 384 ticks per quarter
// note (fewer for the coarsest resolutions), and a tempo that makes one tick last
// 1/TIME_UNIT second.
#pragma once

#include <cstdint>

// Division of the files written for TIME_UNIT SMF_FULL_DIVISION_TIME_UNIT and above: list
// times are written unscaled against it.
inline constexpr int32_t SMF_TICKS_PER_QUARTER = 384;

// Below this TIME_UNIT, 384 ticks per quarter note would need a tempo beyond 24 bits.
inline constexpr int32_t SMF_FULL_DIVISION_TIME_UNIT = 23;

// Lowest and highest TIME_UNIT a file can carry: for the highest the tempo
// (384000000 / TIME_UNIT microseconds per quarter note) is 1.
inline constexpr int32_t SMF_MIN_TIME_UNIT = 1;
inline constexpr int32_t SMF_MAX_TIME_UNIT = 384000000;

// Ticks per quarter note of the file written for time_unit: 384 from
// SMF_FULL_DIVISION_TIME_UNIT up; below, the largest division up to 384 whose tempo
// division * 1000000 / time_unit is a whole number of microseconds within 24 bits, so a tick
// stays exactly 1/time_unit second (16 * time_unit always is). 0 outside
// SMF_MIN_TIME_UNIT..SMF_MAX_TIME_UNIT.
int32_t smf_division(int32_t time_unit);

// Microseconds per quarter note written with smf_division(time_unit); 0 where that is 0.
uint32_t smf_tempo(int32_t time_unit);

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
