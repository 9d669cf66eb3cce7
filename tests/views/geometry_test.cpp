// The views' geometry without a toolkit: plot frames, roll rows and keys, note bars, the
// second grid and the waveform polyline.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "views/plot_frame.h"
#include "views/roll_geometry.h"
#include "views/waveform_geometry.h"

void PrintTo(const PixelRect& r, std::ostream* out)
{
    *out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

PlotFrame frame_of(int32_t top, int32_t width, int32_t height)
{
    PlotFrame f;
    f.plot_top = top;
    f.plot_width = width;
    f.plot_height = height;
    return f;
}

// Twelve rows of 10 pixels from C#4 (a black key) up to C5.
const RollGeometry from_black_key{frame_of(0, 600, 120), 61, 72};

} // namespace

// The client rectangle (0, 0, W, H) less the status bar, taken with inclusive edges: W + 1
// columns and H - 24 rows, split into halves for stereo.
TEST(PlotFrame, ClientAreaLessStatusBarWithInclusiveEdges)
{
    struct Case { int w, h; PlotLayout layout; PixelRect rect; int top, width, height; };
    const Case cases[] = {
        {800, 600, FULL_PLOT_LAYOUT, {0, 0, 800, 575}, 0, 771, 576},
        {800, 600, UPPER_PLOT_LAYOUT, {0, 0, 800, 287}, 0, 771, 288},
        {800, 600, LOWER_PLOT_LAYOUT, {0, 288, 800, 575}, 288, 771, 288},
        {801, 601, LOWER_PLOT_LAYOUT, {0, 288, 801, 575}, 288, 772, 288},  // H = 577: 577 * 50 / 100
        {20, 20, FULL_PLOT_LAYOUT, {0, 0, 20, -5}, 0, -9, -4},               // a tiny window
    };
    for (const Case& c : cases) {
        const PlotFrame f = compute_plot_frame(c.w, c.h, c.layout);
        EXPECT_EQ(f.frame_rect, c.rect) << c.w << "x" << c.h;
        EXPECT_EQ(f.plot_left, 30);
        EXPECT_EQ(f.plot_top, c.top);
        EXPECT_EQ(f.plot_width, c.width);
        EXPECT_EQ(f.plot_height, c.height);
    }
}

// A range that starts on a black key: the white-key pass leaves it out, the black pass
// starts with it; the three white-key shapes follow the black keys beside them.
TEST(RollGeometry, KeyboardKeysFromABlackKey)
{
    EXPECT_EQ(roll_notes_to_draw(from_black_key, true), (std::vector<int64_t>{61, 63, 66, 68, 70}));
    EXPECT_EQ(roll_notes_to_draw(from_black_key, false), (std::vector<int64_t>{62, 64, 65, 67, 69, 71, 72}));
    struct Case { int note; PixelRect rect; };
    const Case white[] = {
        {72, {0, -10, 30, 5}},   // C: a black key above (outside the range)
        {71, {0, 5, 30, 20}},    // B: black key below
        {62, {0, 90, 30, 110}},  // D: black keys on both sides
        {65, {0, 60, 30, 75}},   // F: black key above
    };
    for (const Case& c : white)
        EXPECT_EQ(white_key_rect(from_black_key, c.note), c.rect) << c.note;
    EXPECT_EQ(black_key_rect(from_black_key, 61), (PixelRect{0, 105, 15, 115}));
    EXPECT_EQ(key_mark_rect(from_black_key, 66), (PixelRect{0, 56, 15, 63}));
    EXPECT_EQ(key_mark_rect(from_black_key, 67), (PixelRect{17, 46, 28, 53}));
}

// A bar reaches v/64 of a row above and below its line, at most one row each way.
TEST(RollGeometry, NoteBarHeightFollowsVelocity)
{
    struct Case { int velocity, top, bottom; };
    const Case cases[] = {{0, 60, 60}, {32, 55, 65}, {64, 50, 70}, {127, 50, 70}};
    for (const Case& c : cases) {
        const PixelRect bar = note_bar_rect(from_black_key, 66, 40, 90, c.velocity);
        EXPECT_EQ(bar, (PixelRect{40, c.top, 90, c.bottom})) << c.velocity;
    }
}

// Second lines stop at x < plot_width (not the plot's right edge); no step, no lines.
TEST(RollGeometry, SecondMarks)
{
    const PlotFrame f = frame_of(0, 600, 120);
    struct Case { int time_unit; int64_t span; std::vector<int> xs; };
    const Case cases[] = {
        {1000, 6000, {130, 230, 330, 430, 530}},
        {1000, 0, {}},                 // every event at time 0
        {0, 6000, {}},                 // no resolution
        {1000, 600001, {}},            // more seconds than pixels: step 0
        {1000, -5, {}},
    };
    for (const Case& c : cases) {
        std::vector<int> xs;
        for (const SecondMark& m : second_marks(f, c.time_unit, c.span))
            xs.push_back(m.x);
        EXPECT_EQ(xs, c.xs) << c.span;
    }
    EXPECT_EQ(second_line_pen(10), GridPen::strong);
    EXPECT_EQ(second_line_pen(5), GridPen::medium);
    EXPECT_EQ(note_line_pen(69), GridPen::strong);
    EXPECT_EQ(note_line_pen(60), GridPen::medium);
    EXPECT_EQ(note_line_pen(62), GridPen::light);
    EXPECT_EQ(roll_x(f, 500, 0), 30);  // a span of 0 puts everything at the plot's left edge
    EXPECT_EQ(roll_x(f, 3'000'000'000LL, 6'000'000'000LL), 330);
}

// Any note range costs work in proportion to the window: an upside-down range has no
// rows, the widest range one note per pixel row.
// Long data: every grid line stays, a label is drawn only where it starts past the end of
// the label before it and SECOND_LABEL_GAP more.
TEST(RollGeometry, SecondLabelsNeverOverlap)
{
    const auto width = [](const std::string& text) { return static_cast<int32_t>(8 * text.size()); };
    struct Case {
        const char* what;
        std::vector<int32_t> xs;        // mark k+1 at xs[k]
        std::vector<int32_t> labelled;  // seconds whose labels are drawn
    };
    const std::vector<Case> cases = {
        {"wide steps keep every label", {100, 200, 300}, {1, 2, 3}},
        // "1 [sec]" is 56 wide: the next label may start at 30 + 56 + 4 = 90.
        {"the first label is long", {30, 60, 89, 90, 100, 111, 112}, {1, 4, 6}},
        {"one pixel a second", {31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41}, {1}},
        {"no marks", {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<SecondMark> marks;
        for (size_t k = 0; k < c.xs.size(); ++k)
            marks.push_back({c.xs[k], static_cast<int32_t>(k + 1)});
        std::vector<int32_t> seconds;
        for (const SecondMark& m : labelled_second_marks(marks, width))
            seconds.push_back(m.second);
        EXPECT_EQ(seconds, c.labelled) << c.what;
    }
    EXPECT_EQ(second_label_text(1), "1 [sec]");
    EXPECT_EQ(second_label_text(600), "600");

    // Ten minutes in 900 pixels: 600 grid lines, labels at least their width apart.
    const PlotFrame f = compute_plot_frame(1000, 600, FULL_PLOT_LAYOUT);
    const std::vector<SecondMark> marks = second_marks(f, 1536, int64_t{1536} * 600);
    const std::vector<SecondMark> labelled = labelled_second_marks(marks, width);
    EXPECT_GT(marks.size(), 500u);
    EXPECT_LT(labelled.size(), marks.size() / 10);
    for (size_t i = 1; i < labelled.size(); ++i)
        EXPECT_GE(labelled[i].x, labelled[i - 1].x + width(second_label_text(labelled[i - 1].second)) +
                                     SECOND_LABEL_GAP);
}

TEST(RollGeometry, AnyNoteRangeIsBoundedByTheWindow)
{
    const RollGeometry upside_down{frame_of(0, 600, 120), 0, -1};  // 0..4294967295 typed as unsigned
    EXPECT_TRUE(roll_notes_to_draw(upside_down, false).empty());
    const RollGeometry widest{frame_of(0, 600, 120), INT32_MIN, INT32_MAX};
    const std::vector<int64_t> notes = roll_notes_to_draw(widest, false);
    EXPECT_LE(notes.size(), 120u);
    EXPECT_GT(notes.size(), 100u);
    EXPECT_TRUE(std::is_sorted(notes.begin(), notes.end()));
    const RollGeometry flat{frame_of(0, 600, 0), 19, 112};
    EXPECT_TRUE(roll_notes_to_draw(flat, true).empty());
}

// Samples map to y with -32768 at the bottom; with fewer samples than pixels every sample
// is drawn, with more each column gets a min-max stroke and the last column's is not drawn.
TEST(WaveformGeometry, PolylineDrawsSamplesOrColumnStrokes)
{
    const PlotFrame f = compute_plot_frame(800, 600, FULL_PLOT_LAYOUT);  // half = 288
    EXPECT_EQ(wave_y(f, -32768), 576);
    EXPECT_EQ(wave_y(f, 32767), 1);
    EXPECT_EQ(wave_y(f, 0), 288);

    const std::vector<int16_t> three{0, -32768, 16384};
    const std::vector<PlotPoint> sparse = waveform_polyline(f, three, 3, 1, 0);
    ASSERT_EQ(sparse.size(), 9u);
    EXPECT_EQ(sparse[4].x, 287);
    EXPECT_EQ(sparse[4].y, 576);
    EXPECT_EQ(sparse[8].x, 544);
    EXPECT_EQ(sparse[8].y, 144);

    PlotFrame narrow = f;
    narrow.plot_width = 2;
    narrow.plot_height = 4;  // half = 2: y = 2 - 2 v / 32768
    // Interleaved stereo; channel 1 holds 4 frames per column.
    const std::vector<int16_t> stereo{0, 0, 0, 32767, 0, -32768, 0, 0, 0, -32768, 0, 32767, 0, 0, 0, 0};
    const std::vector<PlotPoint> dense = waveform_polyline(narrow, stereo, 8, 2, 1);
    const std::vector<std::pair<int, int>> expected{{30, 2}, {30, 1}, {30, 4}, {30, 2}, {31, 4}};
    ASSERT_EQ(dense.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::make_pair(dense[i].x, dense[i].y), expected[i]) << i;
    EXPECT_TRUE(waveform_polyline(f, three, 3, 1, 1).empty());          // no such channel
    EXPECT_EQ(waveform_polyline(f, three, 1000, 1, 0).size(), 5u);       // never reads past the samples
}
