// Clean-up of the raw note segments: overlapping segments of one note and the limit on
// simultaneous notes.
#pragma once

#include <span>

#include "analysis/note_segments.h"

// Walks the raw segments (times in samples) in creation order: drops the deleted, the too
// soft (below SL_LEVEL) and the too short (below SL_LENGTH); lets a louder segment cut an
// earlier sounding one of the same note and absorbs a not louder one into it; and when more
// than MAX_HARMONY notes sound, deletes the new segment or cuts the weakest sounding one.
// Deleted segments get fine_pitch -1; the span keeps its size.
void resolve_overlaps(std::span<NoteSegment> segments);
