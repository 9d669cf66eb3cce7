#include "analysis/note_segments.h"

NoteSegmentList note_segment_list;
PitchPointList pitch_point_list;

void clear_note_segment_lists()
{
    note_segment_list = NoteSegmentList{};
    pitch_point_list = PitchPointList{};
}
