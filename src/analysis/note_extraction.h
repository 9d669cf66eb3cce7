// Note extraction: from the per-frame note levels of the analysis file to the note segments
// and fine-pitch points that event generation turns into MIDI events.
#pragma once

#include <cstdint>
#include <cstdio>

// Runs the whole extraction for the WAV file in current_path: reads its analysis file,
// resolves overlaps and the polyphony limit, and converts to TIME_UNIT ticks into
// note_segment_list and (with FINE_NOTE from the file) pitch_point_list. Returns the number
// of segments; 0 when there are none or TIME_UNIT is not positive.
int32_t extract_note_segments();

// Reads the analysis file of current_path into the raw segment and point lists (sample
// positions). The capacity is analysis_record_count with max_level after a fresh analysis,
// or count_analysis_records() on a re-conversion. Returns the raw segment count.
int32_t read_note_segments();

// Reads an open analysis file from its first line on into the raw lists, storing at most
// `capacity` segments and points and scaling velocities by level_max. Takes FINE_NOTE,
// SL_DIFFLEVEL, SL_DIFFNOTE, VR_INTERVAL and note_window_length from the file. Stops at the
// first damaged or incomplete block, or one that would pass the capacity, keeping only the
// blocks before it. Returns the raw segment count.
int32_t read_note_segments_from(std::FILE* file, int32_t capacity, int32_t level_max);
