#include "analysis/note_segments.h"

NoteSegmentList note_segment_list;
PitchPointList pitch_point_list;
