// The frame both views draw in: the client area less the status-bar strip, cut into strips
// by a layout of percentages, with the 30-pixel keyboard strip left of the plot.
#pragma once

#include <cstdint>

inline constexpr int32_t STATUS_BAR_HEIGHT = 25;  // pixels the status bar takes at the bottom
inline constexpr int32_t PLOT_LEFT = 30;          // the plot's left edge; the keyboard lies left of it

// The part of the client area one strip takes, in percent of its width and height. The
// waveform view draws stereo data as an upper and a lower half; everything else uses the
// full layout.
struct PlotLayout {
    int32_t width_percent = 100;
    int32_t height_percent = 100;
    int32_t x_offset_percent = 0;
    int32_t y_offset_percent = 0;
};

inline constexpr PlotLayout FULL_PLOT_LAYOUT{100, 100, 0, 0};
inline constexpr PlotLayout UPPER_PLOT_LAYOUT{100, 50, 0, 0};
inline constexpr PlotLayout LOWER_PLOT_LAYOUT{100, 50, 0, 50};

// A rectangle whose right and bottom edges are exclusive: a W x H client area is (0, 0, W, H).
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PlotFrame {
    PixelRect frame_rect;          // the area cleared before drawing
    int32_t plot_left = PLOT_LEFT; // always 30, whatever the layout
    int32_t plot_top = 0;
    int32_t plot_width = 0;        // may be 0 or less in a tiny window
    int32_t plot_height = 0;       // may be 0 or less in a tiny window
};

// The frame of the view last drawn in the main window; a click on the piano roll is mapped
// through it. Written by the views on the UI thread.
extern PlotFrame plot_frame;

// The frame of one strip of a client area of client_width x client_height pixels. The size
// is taken with inclusive edges (W = right - left + 1), so the plot is one column wider and
// one row taller than the pixels it fills: the views have always drawn it so.
PlotFrame compute_plot_frame(int32_t client_width, int32_t client_height, const PlotLayout& layout);

// Puts plot_frame back to its start value (tests use it).
void reset_plot_frame();
