// The last step of note extraction: from sample positions to TIME_UNIT ticks.
#pragma once

#include <cstdint>

#include "analysis/note_segments.h"

// Converts the resolved raw segments of `segments` (samples at sample_rate) to ticks of
// time_unit per second, keeping in order those not deleted that still reach SL_LENGTH ticks
// and SL_LEVEL, and whose end fits 32 bits. With fine_note the pitch points follow their
// segments' new indices and times (points of dropped segments go); without it the points are
// emptied. Both lists end with exactly count entries. Returns the segment count; 0 with
// both lists emptied when time_unit or sample_rate is not positive.
int32_t convert_to_ticks(NoteSegmentList& segments, PitchPointList& points, bool fine_note,
                         int32_t time_unit, int32_t sample_rate);
