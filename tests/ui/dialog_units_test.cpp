#include <gtest/gtest.h>

#include "ui/dialog_units.h"
#include "ui/japanese_ui.h"

// Dialog units scale with the font: 4 horizontal units are one average character, 8
// vertical units one character height, rounded to the nearest pixel.
TEST(DialogUnits, ScaleWithTheFontAndRound)
{
    const DialogUnits units{7, 13};
    struct Case { int x, y, w, h; QRect pixels; };
    const Case cases[] = {
        {4, 8, 40, 16, QRect(7, 13, 70, 26)},
        {1, 1, 1, 1, QRect(2, 2, 2, 2)},     // 1.75 and 1.625 round up
        {10, 9, 50, 14, QRect(18, 15, 88, 23)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dialog_rect(units, c.x, c.y, c.w, c.h), c.pixels) << c.x << "," << c.y;
    EXPECT_EQ(dialog_size(units, 247, 109), QSize(432, 177));
}

TEST(DialogUnits, TheDialogFontIsTheJapaneseGothic)
{
    const DialogUnits units = dialog_units_for(dialog_font());
    EXPECT_GT(units.base_x, 3);
    EXPECT_GT(units.base_y, 8);
}
