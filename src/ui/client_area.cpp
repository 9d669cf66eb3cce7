#include "ui/client_area.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>

#include "core/status.h"
#include "playback/midi_player.h"
#include "ui/client_view.h"
#include "ui/main_window.h"
#include "ui/playback_roll.h"

ClientArea::ClientArea(MainWindow* window) : QWidget(window), window_(window)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (conversion_status.conversion_thread) {
        // The worker is rewriting the wave and the event list: show how far it is instead.
        const QString text = window_->progress_text();
        if (!text.isEmpty()) {
            painter.setPen(Qt::black);
            painter.drawText(QRect(10, 10, width() - 10, fontMetrics().height()),
                             Qt::AlignLeft | Qt::AlignTop, text);
        }
        return;
    }
    const bool full_roll = window_->take_full_roll_request();
    PlaybackRoll* roll = window_->playback_roll();
    if (midi_player.player_state.load() == PLAYER_PLAYING && !roll->canvas().isNull()) {
        // MIDI plays: show the player's canvas, after a repaint with the full roll on it.
        const QString status = full_roll ? roll->draw_full_roll() : QString();
        painter.drawPixmap(0, 0, roll->canvas());
        if (!status.isNull())
            window_->statusBar()->showMessage(status);
        return;
    }
    const QString status = paint_document_view(painter, width(), window_->view_height());
    if (!status.isNull())
        window_->statusBar()->showMessage(status);
}

void ClientArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        window_->client_clicked(at.x(), at.y());
    }
}
