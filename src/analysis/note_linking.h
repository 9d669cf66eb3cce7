// Per-frame decisions of note extraction: moving notes onto the chosen scale, and linking
// each frame's notes to the segments still open from earlier frames.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "analysis/analysis_results.h"
#include "analysis/note_segments.h"

// What link_frame_notes decides for one record.
inline constexpr int32_t LINK_IGNORED = -2;     // takes no part in the segments
inline constexpr int32_t LINK_NEW = -1;         // starts a segment
inline constexpr int32_t LINK_SAME = 1;         // extends the open segment of its own note
inline constexpr int32_t LINK_FROM_BELOW = 2;   // extends the open segment of the note below
inline constexpr int32_t LINK_FROM_ABOVE = 3;   // extends the open segment of the note above

// The segment currently open for each MIDI note, or -1.
inline constexpr int32_t OPEN_SEGMENT_SLOTS = 256;
using OpenSegmentTable = std::array<int32_t, OPEN_SEGMENT_SLOTS>;

// Moves every record whose pitch class is off SCALE_NOTES to the nearest enabled one inside
// KEY_MIN..KEY_MAX (ties go up for fine steps 12 and above), merges records that end on the
// same note (the louder one's level, fine step and continuity win) and compacts the block in
// order. Returns the new record count.
int32_t snap_to_scale(std::span<FrameNoteRecord> records);

// Decides for every record of a block at `position` whether it starts a segment, extends an
// open one or is ignored, writing one LINK_* value per record into links. The records' level
// field carries the velocity. Closes for good the open segments of `segments` whose gap has
// grown to the note's gap limit. Notes outside 0..127 are ignored whatever KEY_MIN and
// KEY_MAX say, so the tables are never left.
void link_frame_notes(std::span<const FrameNoteRecord> records, int32_t position,
                      std::span<const NoteSegment> segments, OpenSegmentTable& open_segment,
                      std::span<int32_t> links);
