#include "ui/views/waveform_view.h"

#include <QPainter>

#include "ui/views/gdi_drawing.h"
#include "views/plot_frame.h"
#include "views/status_lines.h"
#include "views/waveform_geometry.h"
#include "wave/wav_reader.h"

namespace {

const GdiPen AXIS_PEN{rgb(50, 50, 50), 2};
const GdiPen WAVE_PEN{rgb(0, 100, 0), 1};

// One strip: the cleared frame, the centre line (from x 0, across the keyboard strip), the
// left axis and the channel's polyline. Returns its frame.
PlotFrame draw_wave_strip(QPainter& painter, int width, int height, const PlotLayout& layout, int32_t channel)
{
    const PlotFrame frame = compute_plot_frame(width, height, layout);
    plot_frame = frame;
    gdi_fill_rect(painter, frame.frame_rect, Qt::white);
    const int32_t half = frame.plot_height / 2;
    const int32_t centre = frame.plot_top + half;
    gdi_line(painter, AXIS_PEN, {0, centre}, {frame.plot_left + frame.plot_width - 1, centre});
    gdi_line(painter, AXIS_PEN, {frame.plot_left, frame.plot_top},
             {frame.plot_left, frame.plot_top + frame.plot_height - 1});
    const WaveData& wave = wave_data;
    gdi_polyline(painter, WAVE_PEN, waveform_polyline(frame, wave.samples, wave.frame_count, wave.channels, channel));
    return frame;
}

void label_strip(QPainter& painter, const PlotFrame& frame, const char* label)
{
    gdi_text(painter, frame.plot_left + 10, frame.plot_top + 5, QString::fromLatin1(label), Qt::black, Qt::white);
}

} // namespace

std::optional<std::string> draw_waveform_view(QPainter& painter, int width, int height)
{
    if (wave_data.frame_count <= 0)
        return std::nullopt;
    if (wave_data.channels < 2) {
        draw_wave_strip(painter, width, height, FULL_PLOT_LAYOUT, 0);
    } else {
        label_strip(painter, draw_wave_strip(painter, width, height, UPPER_PLOT_LAYOUT, 0), "L-channel");
        label_strip(painter, draw_wave_strip(painter, width, height, LOWER_PLOT_LAYOUT, 1), "R-channel");
    }
    return wave_status_line();
}
