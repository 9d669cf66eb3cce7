// Note segments and fine-pitch points: what note extraction hands to event generation.
#pragma once

#include <cstdint>
#include <vector>

// 12 bytes.
struct NoteSegment {
    int32_t start = 0;       // sample index during extraction, TIME_UNIT ticks in the final list
    int32_t length = 0;      // same unit as start
    int16_t fine_pitch = 0;  // MIDI note * 24 + fine step; negative marks a deleted segment during extraction
    int16_t velocity = 0;    // 1..127, highest velocity over the segment's frames
};
static_assert(sizeof(NoteSegment) == 12);

// 12 bytes; kept only with FINE_NOTE.
struct PitchPoint {
    int32_t time = 0;        // frame position: sample index, TIME_UNIT ticks in the final list
    int16_t fine_pitch = 0;  // fine pitch observed in that frame
    int16_t velocity = 0;    // velocity observed in that frame
    int32_t segment = 0;     // index of the owning segment
};
static_assert(sizeof(PitchPoint) == 12);

// Written by note extraction, consumed (released) by the note event builder.
struct NoteSegmentList {
    std::vector<NoteSegment> segments;  // grows as segments are made; at most one per analysis record
    int32_t count = 0;
};

struct PitchPointList {
    std::vector<PitchPoint> points;  // grows as points are made; at most one per analysis record
    int32_t count = 0;
};

extern NoteSegmentList note_segment_list;
extern PitchPointList pitch_point_list;

// Empties both lists and releases their memory.
void clear_note_segment_lists();
