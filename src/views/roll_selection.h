// Choosing a note of the piano roll under a mouse click.
#pragma once

#include <cstdint>

// Selects the note under client position (x, y) of the piano roll last drawn (plot_frame
// and the display settings): a note sounding at the click time whose number is within one
// of the clicked row. Up to three overlapping candidates are found; repeated clicks where
// notes overlap step through them. Does nothing for an empty list, a plot without width or
// height, a click left of the plot (the keyboard), or where no candidate sounds. UI thread.
void select_note_at(int32_t x, int32_t y);
