#include "ui/client_view.h"

#include <QPainter>
#include <optional>
#include <string>

#include "core/status.h"
#include "ui/views/piano_roll_view.h"
#include "ui/views/waveform_view.h"

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
    // The status bar shows one line: the line feed that ends the text is not part of it.
    if (!status->empty() && status->back() == '\n')
        status->pop_back();
    return QString::fromUtf8(*status);
}
