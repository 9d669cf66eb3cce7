#include "views/roll_selection.h"

void select_note_at(int32_t, int32_t) {}
