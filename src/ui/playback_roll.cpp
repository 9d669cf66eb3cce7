#include "ui/playback_roll.h"

#include <QMetaObject>
#include <QPainter>
#include <atomic>
#include <string>
#include <vector>

#include "playback/midi_player.h"
#include "ui/client_view.h"
#include "ui/views/piano_roll_view.h"
#include "views/display_settings.h"
#include "views/status_lines.h"

namespace {

std::atomic<PlaybackRoll*> current_roll{nullptr};
std::atomic<bool> drain_posted{false};

// The player's wake hook, on the timer thread or the UI thread: one queued drain at a time.
void post_drain()
{
    PlaybackRoll* roll = current_roll.load();
    if (roll && !drain_posted.exchange(true))
        QMetaObject::invokeMethod(roll, &PlaybackRoll::drain, Qt::QueuedConnection);
}

} // namespace

PlaybackRoll::PlaybackRoll(QObject* parent) : QObject(parent)
{
    current_roll.store(this);
    player_wake_hook = post_drain;
}

PlaybackRoll::~PlaybackRoll()
{
    stop_midi_playback();
    player_wake_hook = nullptr;
    current_roll.store(nullptr);
}

void PlaybackRoll::set_client_size(QSize size)
{
    client_size_ = size;
}

QString PlaybackRoll::draw_full_roll()
{
    if (canvas_.isNull())
        return {};
    QPainter painter(&canvas_);
    return paint_document_view(painter, canvas_.width(), canvas_.height());
}

// A new roll: the whole data on a fresh canvas.
void PlaybackRoll::start_canvas(QPainter& painter, uint32_t span_ticks)
{
    if (painter.isActive())
        painter.end();
    display_settings.display_start_ms = 0;
    display_settings.display_end_ms = -1;
    canvas_ = QPixmap(client_size_);
    canvas_.fill(Qt::white);  // the status-bar strip below the plot is never drawn on
    painter.begin(&canvas_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw_roll_background(painter, state_, canvas_.width(), canvas_.height(), span_ticks);
}

void PlaybackRoll::drain()
{
    drain_posted.store(false);
    const std::vector<RollDrawItem> items = midi_player.roll.take();
    QPainter painter;
    bool new_roll = false;
    bool stopped = false;
    for (const RollDrawItem& item : items) {
        switch (item.kind) {
        case RollDrawKind::background:
            start_canvas(painter, item.span);
            new_roll = true;
            break;
        case RollDrawKind::ghost_event:
        case RollDrawKind::note_event:
            if (canvas_.isNull())
                break;
            if (!painter.isActive())
                painter.begin(&canvas_);
            state_.highlight = item.highlight ? 1 : 0;
            if (item.kind == RollDrawKind::ghost_event)
                draw_ghost_event(painter, state_, item.position, item.span, item.event);
            else
                draw_note_event(painter, state_, item.position, item.span, item.event, 1);
            break;
        case RollDrawKind::end:
            stopped = true;
            break;
        }
    }
    if (painter.isActive())
        painter.end();
    if (new_roll)
        emit status_line(status_bar_text(midi_status_line()));
    if (!items.empty())
        emit canvas_changed();
    // The tick only marks the end; the stop sequence runs here, on the UI thread.
    if (midi_player.end_reached.load())
        stop_midi_playback();
    if (stopped)
        emit playback_stopped();
}
