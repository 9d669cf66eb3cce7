// Dialog controls are laid out in dialog units, as the dialog templates were drawn: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height. These turn them into pixels for a font.
#pragma once

#include <QFont>
#include <QRect>

struct DialogUnits {
    int base_x = 0;  // average character width in pixels
    int base_y = 0;  // character height in pixels
};

DialogUnits dialog_units_for(const QFont& font);

// The pixel rectangle of a control at (x, y) of size w x h in dialog units.
QRect dialog_rect(const DialogUnits& units, int x, int y, int w, int h);

// The pixel size of a dialog of w x h dialog units (its client area).
QSize dialog_size(const DialogUnits& units, int w, int h);
