#include "views/roll_geometry.h"

#include <algorithm>

namespace {

// Coordinates beyond this lie far outside any window; keeping them here keeps every later
// sum and the painter's fixed-point arithmetic in range.
constexpr int64_t COORDINATE_LIMIT = int64_t{1} << 24;

int32_t pixel(int64_t value)
{
    return static_cast<int32_t>(std::clamp(value, -COORDINATE_LIMIT, COORDINATE_LIMIT));
}

// a x b / c truncating toward zero, without overflow for any 64-bit factors of the views.
int64_t mul_div(int64_t a, int64_t b, int64_t c)
{
    const __int128 q = static_cast<__int128>(a) * b / c;
    return static_cast<int64_t>(std::clamp<__int128>(q, INT64_MIN, INT64_MAX));
}

// r(k) = k x plot_height / N, relative to plot_top; 0 without rows.
int64_t row_offset(const RollGeometry& g, int64_t k)
{
    const int64_t rows = roll_row_count(g);
    return rows > 0 ? mul_div(k, g.frame.plot_height, rows) : 0;
}

int64_t row_of(const RollGeometry& g, int64_t note)
{
    return int64_t{g.note_high} - note;
}

} // namespace

int64_t roll_row_count(const RollGeometry& g)
{
    return int64_t{g.note_high} - g.note_low + 1;
}

int32_t roll_row_y(const RollGeometry& g, int64_t k)
{
    return pixel(g.frame.plot_top + row_offset(g, k));
}

NoteLines note_lines(const RollGeometry& g, int64_t note)
{
    const int64_t d = row_of(g, note);
    return {roll_row_y(g, d - 1), roll_row_y(g, d), roll_row_y(g, d + 1)};
}

int32_t pitch_class(int64_t note)
{
    return static_cast<int32_t>((note % 12 + 12) % 12);
}

bool is_black_key(int64_t note)
{
    switch (pitch_class(note)) {
    case 1: case 3: case 6: case 8: case 10:
        return true;
    default:
        return false;
    }
}

int32_t roll_x(const PlotFrame& frame, int64_t position, int64_t span)
{
    if (span == 0)
        return frame.plot_left;
    return pixel(mul_div(position, frame.plot_width, span) + frame.plot_left);
}

std::vector<int64_t> roll_notes_to_draw(const RollGeometry& g, bool black_keys)
{
    std::vector<int64_t> notes;
    const int64_t rows = roll_row_count(g);
    const int64_t height = g.frame.plot_height;
    if (rows <= 0 || height <= 0)
        return notes;
    if (rows <= height) {
        for (int64_t n = g.note_low; n <= g.note_high; ++n)
            if (is_black_key(n) == black_keys)
                notes.push_back(n);
        return notes;
    }
    // Rows d with r(d) = v are ceil(v N / h) .. ceil((v + 1) N / h) - 1; of these the
    // smallest d (the highest note) is drawn last. Twelve rows hold keys of both colours.
    auto first_row_at = [&](int64_t v) {
        return static_cast<int64_t>((static_cast<__int128>(v) * rows + height - 1) / height);
    };
    for (int64_t v = height - 1; v >= 0; --v) {
        const int64_t first = first_row_at(v);
        const int64_t end = std::min({first_row_at(v + 1), rows, first + 12});
        for (int64_t d = first; d < end; ++d)
            if (is_black_key(row_of(g, d)) == black_keys) {
                notes.push_back(row_of(g, d));
                break;
            }
    }
    return notes;
}

GridPen note_line_pen(int64_t note)
{
    if (note == 69)
        return GridPen::strong;
    return pitch_class(note) == 0 ? GridPen::medium : GridPen::light;
}

GridPen second_line_pen(int64_t second)
{
    if (second % 10 == 0)
        return GridPen::strong;
    return second % 5 == 0 ? GridPen::medium : GridPen::light;
}

std::vector<SecondMark> second_marks(const PlotFrame& frame, int32_t time_unit, int64_t span)
{
    std::vector<SecondMark> marks;
    if (time_unit <= 0 || frame.plot_width <= 0 || span <= 0)
        return marks;
    const int64_t step = int64_t{time_unit} * frame.plot_width / span;
    if (step <= 0)
        return marks;
    int32_t second = 1;
    for (int64_t x = frame.plot_left + step; x < frame.plot_width; x += step)
        marks.push_back({static_cast<int32_t>(x), second++});
    return marks;
}

std::string second_label_text(int32_t second)
{
    return second == 1 ? "1 [sec]" : std::to_string(second);
}

std::vector<SecondMark> labelled_second_marks(const std::vector<SecondMark>& marks,
                                              const std::function<int32_t(const std::string&)>& text_width)
{
    std::vector<SecondMark> labelled;
    int64_t free_from = INT64_MIN;  // first x a label may start at
    for (const SecondMark& mark : marks) {
        if (mark.x < free_from)
            continue;
        labelled.push_back(mark);
        free_from = int64_t{mark.x} + text_width(second_label_text(mark.second)) + SECOND_LABEL_GAP;
    }
    return labelled;
}

PixelRect white_key_rect(const RollGeometry& g, int64_t note)
{
    const int64_t d = row_of(g, note);
    const int64_t t = g.frame.plot_top;
    const int64_t above = row_offset(g, d - 1);
    const int64_t own = row_offset(g, d);
    const int64_t below = row_offset(g, d + 1);
    int64_t top = t + above;
    int64_t bottom = t + below;
    switch (pitch_class(note)) {
    case 0: case 5:  // a black key above only
        bottom = (below + own + 2 * t) / 2;
        break;
    case 4: case 11:  // a black key below only
        top = (own + above + 2 * t) / 2;
        break;
    default:
        break;
    }
    return {0, pixel(top), PLOT_LEFT, pixel(bottom)};
}

PixelRect black_key_rect(const RollGeometry& g, int64_t note)
{
    const int64_t d = row_of(g, note);
    const int64_t t2 = 2 * int64_t{g.frame.plot_top};
    const int64_t own = row_offset(g, d);
    return {0, pixel((t2 + own + row_offset(g, d - 1)) / 2), 15, pixel((t2 + own + row_offset(g, d + 1)) / 2)};
}

PixelRect key_mark_rect(const RollGeometry& g, int64_t note)
{
    const NoteLines lines = note_lines(g, note);
    const int32_t top = (lines.y_up + 2 * lines.y) / 3;
    const int32_t bottom = (lines.y_down + 2 * lines.y) / 3;
    return is_black_key(note) ? PixelRect{0, top, 15, bottom} : PixelRect{17, top, 28, bottom};
}

PixelRect note_bar_rect(const RollGeometry& g, int64_t note, int32_t x_on, int32_t x, int32_t velocity)
{
    const NoteLines lines = note_lines(g, note);
    const int64_t y = lines.y;
    const int64_t top = std::max<int64_t>(y + (lines.y_up - y) * velocity / 64, lines.y_up);
    const int64_t bottom = std::min<int64_t>(y + (lines.y_down - y) * velocity / 64, lines.y_down);
    return {x_on, pixel(top), x, pixel(bottom)};
}
