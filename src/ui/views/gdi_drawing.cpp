#include "ui/views/gdi_drawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// The font of text in the views: a Gothic face whose cell is 16 pixels high, the height of
// the system font the labels were placed for.
QFont view_font()
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(15);
    return font;
}

// The pixels from a to b inclusive, in either order, as a QRect.
QRect span_rect(int left, int top, int right, int bottom)
{
    return QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                 QPoint(std::max(left, right), std::max(top, bottom)));
}

// A 1-pixel line stepped along its longer axis from the start point, each step taking the
// nearest pixel across it; the end point is left out. Pixels of one row or column are
// filled as one run.
void thin_line(QPainter& painter, const QColor& colour, PlotPoint from, PlotPoint to)
{
    const int64_t dx = int64_t{to.x} - from.x;
    const int64_t dy = int64_t{to.y} - from.y;
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const int64_t steps = x_major ? std::abs(dx) : std::abs(dy);
    const int64_t across = x_major ? dy : dx;
    const int step = (x_major ? dx : dy) > 0 ? 1 : -1;
    auto offset_at = [&](int64_t i) {  // nearest pixel across the line, ties toward the start
        const int64_t twice = 2 * i * std::abs(across);
        const int64_t nearest = (twice + steps - 1) / (2 * steps);
        return static_cast<int>(across < 0 ? -nearest : nearest);
    };
    int64_t run_start = 0;
    for (int64_t i = 1; i <= steps; ++i) {
        if (i < steps && offset_at(i) == offset_at(run_start))
            continue;
        const int a = static_cast<int>((x_major ? from.x : from.y) + step * run_start);
        const int b = static_cast<int>((x_major ? from.x : from.y) + step * (i - 1));
        const int c = (x_major ? from.y : from.x) + offset_at(run_start);
        painter.fillRect(x_major ? span_rect(a, c, b, c) : span_rect(c, a, c, b), colour);
        run_start = i;
    }
}

void wide_line(QPainter& painter, const GdiPen& pen, PlotPoint from, PlotPoint to)
{
    const int before = pen.width / 2;
    const int after = pen.width - 1 - before;
    if (from.y == to.y) {
        const int step = to.x > from.x ? 1 : -1;
        painter.fillRect(span_rect(from.x, from.y - before, to.x - step, from.y + after), pen.colour);
    } else if (from.x == to.x) {
        const int step = to.y > from.y ? 1 : -1;
        painter.fillRect(span_rect(from.x - before, from.y, from.x + after, to.y - step), pen.colour);
    }
}

} // namespace

void gdi_fill_rect(QPainter& painter, const PixelRect& rect, const QColor& colour)
{
    if (rect.right > rect.left && rect.bottom > rect.top)
        painter.fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), colour);
}

void gdi_line(QPainter& painter, const GdiPen& pen, PlotPoint from, PlotPoint to)
{
    if (from.x == to.x && from.y == to.y)
        return;
    if (pen.width > 1) {
        wide_line(painter, pen, from, to);
        return;
    }
    thin_line(painter, pen.colour, from, to);
}

void gdi_polyline(QPainter& painter, const GdiPen& pen, std::span<const PlotPoint> points)
{
    for (size_t i = 1; i < points.size(); ++i)
        gdi_line(painter, pen, points[i - 1], points[i]);
}

void gdi_rectangle(QPainter& painter, const GdiPen& pen, const QColor& brush, PixelRect rect)
{
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);
    if (rect.left == rect.right || rect.top == rect.bottom)
        return;
    // The outline's centre pixels, and how far the pen reaches before and after them.
    const int right = rect.right - 1;
    const int bottom = rect.bottom - 1;
    const int before = pen.width / 2;
    const int after = pen.width - 1 - before;
    painter.fillRect(span_rect(rect.left - before, rect.top - before, right + after, bottom + after), pen.colour);
    const QRect inside(QPoint(rect.left + after + 1, rect.top + after + 1), QPoint(right - before - 1, bottom - before - 1));
    if (inside.isValid())
        painter.fillRect(inside, brush);
}

int gdi_text_width(const QString& text)
{
    return QFontMetrics(view_font()).horizontalAdvance(text);
}

void gdi_text(QPainter& painter, int x, int y, const QString& text, const QColor& colour,
              const QColor& background)
{
    const QFont font = view_font();
    const QFontMetrics metrics(font);
    const QRect cell(x, y, metrics.horizontalAdvance(text), metrics.height());
    painter.fillRect(cell, background);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}
