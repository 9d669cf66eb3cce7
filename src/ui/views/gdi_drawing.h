// Drawing on a QPainter (antialiasing off) with the pixel rules the views were designed on:
//   gdi_fill_rect   the rectangle's pixels, right and bottom edges excluded.
//   gdi_line        a 1-pixel pen covers the pixels from the start point up to, but not
//                   including, the end point; nothing for a line of length 0. A wider pen
//                   (only on horizontal and vertical lines) covers the same run along the
//                   line and `width` pixels across it, starting width / 2 before the line
//                   (2 pixels: the row above and the line's own; 5 pixels: two each side);
//                   its round end caps are left out.
//   gdi_rectangle   nothing when the rectangle is empty. The outline runs along the columns
//                   left and right - 1 and the rows top and bottom - 1, widened as a line is
//                   for a wider pen, with square corners; the brush fills what lies inside.
//   gdi_text        the text's cell with its top-left corner at (x, y), on an opaque
//                   background, in the view font.
#pragma once

#include <QColor>
#include <QString>
#include <span>

#include "views/plot_frame.h"
#include "views/waveform_geometry.h"

class QPainter;

struct GdiPen {
    QColor colour;
    int width = 1;
};

inline QColor rgb(int r, int g, int b) { return QColor(r, g, b); }

void gdi_fill_rect(QPainter& painter, const PixelRect& rect, const QColor& colour);
void gdi_line(QPainter& painter, const GdiPen& pen, PlotPoint from, PlotPoint to);
// A line from points[0] through every further point.
void gdi_polyline(QPainter& painter, const GdiPen& pen, std::span<const PlotPoint> points);
void gdi_rectangle(QPainter& painter, const GdiPen& pen, const QColor& brush, PixelRect rect);
// The width in pixels of the cell gdi_text draws for text.
int gdi_text_width(const QString& text);
void gdi_text(QPainter& painter, int x, int y, const QString& text, const QColor& colour,
              const QColor& background);
