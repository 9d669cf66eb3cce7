#include "views/waveform_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/saturate.h"

int32_t wave_y(const PlotFrame& frame, int32_t sample)
{
    const int64_t half = frame.plot_height / 2;
    return saturate_int32(frame.plot_top + half - (half * sample) / 32768);
}

std::vector<PlotPoint> waveform_polyline(const PlotFrame& frame, std::span<const int16_t> samples,
                                         int32_t frame_count, int32_t channels, int32_t channel)
{
    std::vector<PlotPoint> points;
    if (frame_count <= 0 || channels <= 0 || channel < 0 || channel >= channels)
        return points;
    const size_t stride = static_cast<size_t>(channels);
    const size_t held = samples.size() <= static_cast<size_t>(channel)
                            ? 0
                            : (samples.size() - static_cast<size_t>(channel) + stride - 1) / stride;
    const size_t frames = std::min(static_cast<size_t>(frame_count), held);
    if (frames == 0)
        return points;
    auto sample_y = [&](size_t i) { return wave_y(frame, samples[static_cast<size_t>(channel) + i * stride]); };

    int32_t x0 = frame.plot_left;
    int32_t low = sample_y(0);
    int32_t high = low;
    int32_t last = low;
    points.push_back({x0, low});
    for (size_t i = 1; i < frames; ++i) {
        const double offset = std::trunc(static_cast<double>(frame.plot_width) * static_cast<double>(i) / frame_count);
        const int32_t x = saturate_int32(static_cast<int64_t>(offset) + frame.plot_left);
        const int32_t y = sample_y(i);
        if (x > x0) {
            points.insert(points.end(), {{x0, low}, {x0, high}, {x0, last}, {x, y}});
            x0 = x;
            low = high = y;
        } else {
            low = std::min(low, y);
            high = std::max(high, y);
        }
        last = y;
    }
    return points;
}
