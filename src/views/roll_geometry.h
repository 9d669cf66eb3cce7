// Where the piano roll puts things: note rows from the highest displayed note at the top,
// x positions of times, the keyboard's keys, the grid and the note bars. Integer arithmetic
// truncating toward zero, in 64 bits so that no range of the display settings overflows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "views/plot_frame.h"

// The rows of one roll: one per note from note_high (top) down to note_low.
struct RollGeometry {
    PlotFrame frame;
    int32_t note_low = 19;
    int32_t note_high = 112;
};

// N = note_high - note_low + 1; 0 or less when the range is upside down (nothing has a row).
int64_t roll_row_count(const RollGeometry& g);

// y of the line of row k (0 = note_high): plot_top + k x plot_height / N. Needs N > 0.
int32_t roll_row_y(const RollGeometry& g, int64_t k);

// The line of note n and the lines of the notes above and below it. Needs N > 0.
struct NoteLines {
    int32_t y_up = 0;
    int32_t y = 0;
    int32_t y_down = 0;
};
NoteLines note_lines(const RollGeometry& g, int64_t note);

// Pitch class 0..11 of any note number (below 0 the keyboard pattern continues).
int32_t pitch_class(int64_t note);
bool is_black_key(int64_t note);  // pitch classes 1, 3, 6, 8, 10

// x of position p in a span s (same unit): p x plot_width / s + plot_left; plot_left when
// the span is 0.
int32_t roll_x(const PlotFrame& frame, int64_t position, int64_t span);

// The notes whose note lines (white keys) or keys of one colour are drawn, low to high.
// While every row is at least a pixel high that is every such note of the range; with more
// rows than pixels it is, per pixel row, the note that would be drawn there last, so the
// work follows the window, not the range.
std::vector<int64_t> roll_notes_to_draw(const RollGeometry& g, bool black_keys);

enum class GridPen { strong, medium, light };
GridPen note_line_pen(int64_t note);     // strong at 69, medium at multiples of 12
GridPen second_line_pen(int64_t second); // strong every 10th, medium every 5th

// The second lines and labels: x = plot_left + k x step while x < plot_width, with
// step = TIME_UNIT x plot_width / span. None when the step is not a positive number of
// pixels (span or TIME_UNIT 0 or less, or more seconds than pixels).
struct SecondMark {
    int32_t x = 0;
    int32_t second = 0;  // k, counted from the start of the displayed range
};
std::vector<SecondMark> second_marks(const PlotFrame& frame, int32_t time_unit, int64_t span);

// The label of second k: "1 [sec]" for the first, the number alone after it.
std::string second_label_text(int32_t second);

// Pixels kept free between two second labels.
inline constexpr int32_t SECOND_LABEL_GAP = 4;

// The marks whose label is drawn, in order: the first, then each whose label starts at least
// SECOND_LABEL_GAP pixels after the end of the label drawn before it (text_width gives a
// label's width in pixels). Long data thus gets fewer labels instead of overlapping ones;
// the grid lines are drawn at every mark all the same.
std::vector<SecondMark> labelled_second_marks(const std::vector<SecondMark>& marks,
                                              const std::function<int32_t(const std::string&)>& text_width);

// A keyboard key: a white key's outlined rectangle from x 0 to 30 (its shape by the black
// keys beside it) or a black key's filled rectangle from x 0 to 15. Needs N > 0.
PixelRect white_key_rect(const RollGeometry& g, int64_t note);
PixelRect black_key_rect(const RollGeometry& g, int64_t note);

// The key mark of playback, a third of the rows above and below the note's line. Needs N > 0.
PixelRect key_mark_rect(const RollGeometry& g, int64_t note);

// A note bar from x_on to x around the note's line, v/64 of a row above and below it,
// at most one row each way. Needs N > 0.
PixelRect note_bar_rect(const RollGeometry& g, int64_t note, int32_t x_on, int32_t x, int32_t velocity);
