#include "ui/dialog_units.h"

#include <QFontMetrics>

namespace {

// a * b / c rounded to the nearest integer, as the template loader scales.
int scale(int a, int b, int c)
{
    return static_cast<int>((static_cast<long long>(a) * b * 2 + c) / (2LL * c));
}

} // namespace

DialogUnits dialog_units_for(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, as the template loader measures it.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect dialog_rect(const DialogUnits& units, int x, int y, int w, int h)
{
    return {scale(x, units.base_x, 4), scale(y, units.base_y, 8), scale(w, units.base_x, 4),
            scale(h, units.base_y, 8)};
}

QSize dialog_size(const DialogUnits& units, int w, int h)
{
    return {scale(w, units.base_x, 4), scale(h, units.base_y, 8)};
}
