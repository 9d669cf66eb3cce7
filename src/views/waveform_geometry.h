// Where the waveform view puts the samples of one channel: a polyline per strip that draws
// every sample while there are fewer samples than pixels, and a min-max stroke per pixel
// column otherwise.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "views/plot_frame.h"

struct PlotPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The y of a sample value in a strip: -32768 lies at the bottom (plot_top + 2 x half),
// 0 on the centre line.
int32_t wave_y(const PlotFrame& frame, int32_t sample);

// The polyline of channel `channel` of interleaved samples (frame_count frames of stride
// channels): the starting point, then every point a line is drawn to. The extremes of the
// final pixel column are not drawn. Frames beyond the samples held are not read. Empty for
// no frames or a channel outside 0..channels-1.
std::vector<PlotPoint> waveform_polyline(const PlotFrame& frame, std::span<const int16_t> samples,
                                         int32_t frame_count, int32_t channels, int32_t channel);
