// Choosing a note of the piano roll under a mouse click.
#pragma once

#include <cstdint>

// Selects the note under client position (x, y) of the piano roll last drawn; repeated
// clicks where notes overlap step through them. Does nothing for an empty list. UI thread.
void select_note_at(int32_t x, int32_t y);
