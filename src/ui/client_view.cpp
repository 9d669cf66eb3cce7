#include "ui/client_view.h"

#include <QPainter>
#include <optional>
#include <string>
#include <utility>

#include "core/status.h"
#include "ui/views/piano_roll_view.h"
#include "ui/views/waveform_view.h"

QString status_bar_text(std::string line)
{
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return QString::fromUtf8(line);
}

QString paint_document_view(QPainter& painter, int width, int height)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    std::optional<std::string> status;
    if (conversion_status.document_state == 1)
        status = draw_waveform_view(painter, width, height);
    else if (conversion_status.document_state == 2)
        status = draw_piano_roll_view(painter, width, height);
    if (!status)
        return {};
    return status_bar_text(std::move(*status));
}
