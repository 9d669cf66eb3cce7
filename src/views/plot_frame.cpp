#include "views/plot_frame.h"

#include "core/saturate.h"

PlotFrame plot_frame;

void reset_plot_frame()
{
    plot_frame = PlotFrame{};
}

PlotFrame compute_plot_frame(int32_t client_width, int32_t client_height, const PlotLayout& layout)
{
    PlotFrame frame;
    PixelRect& rect = frame.frame_rect;
    rect = {0, 0, client_width, saturate_int32(int64_t{client_height} - STATUS_BAR_HEIGHT)};
    int64_t width = int64_t{rect.right} - rect.left + 1;
    const int64_t height = int64_t{rect.bottom} - rect.top + 1;
    const bool full = layout.width_percent == 100 && layout.height_percent == 100 &&
                      layout.x_offset_percent == 0 && layout.y_offset_percent == 0;
    if (full) {
        frame.plot_top = 0;
        frame.plot_height = saturate_int32(height);
    } else {
        rect.left = saturate_int32(width * layout.x_offset_percent / 100);
        rect.top = frame.plot_top = saturate_int32(height * layout.y_offset_percent / 100);
        rect.right = saturate_int32(int64_t{rect.left} - 1 + width * layout.width_percent / 100);
        frame.plot_height = saturate_int32(height * layout.height_percent / 100);
        rect.bottom = saturate_int32(int64_t{frame.plot_top} + frame.plot_height - 1);
        width = width * layout.width_percent / 100;
    }
    frame.plot_left = PLOT_LEFT;
    frame.plot_width = saturate_int32(width - PLOT_LEFT);
    return frame;
}
