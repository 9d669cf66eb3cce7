// Editing the selected note of the event list: delete it, change it, or add a note beside
// it. Moved and added notes cut or swallow same-pitch notes they overlap.
#pragma once

// Removes the selected note-on and note-off and clears the selection. Does nothing
// without a valid selection.
void delete_selected_note();

// Gives the selected note the edited note number, velocity and times; new times move it
// and resolve same-pitch overlaps. Clears the selection. Does nothing without a valid
// selection.
void modify_selected_note();

// Adds a note with the edited values and the status and tag of the selected note, places
// it by time and resolves same-pitch overlaps; the selected note stays. Clears the
// selection. Does nothing without a valid selection.
void add_note();
