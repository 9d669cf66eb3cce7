// The piano roll the MIDI player animates, painted on the UI thread. It owns a lasting
// canvas (the client area's size, status strip included) and the player's own
// RollDrawState. The player's tick hands over what to draw; drain paints it onto the canvas,
// and the window shows the canvas while MIDI plays. A repaint of the window during playback
// draws the full coloured roll onto the canvas, and later ticks draw over it.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <cstdint>

#include "views/roll_draw_state.h"

class QPainter;

class PlaybackRoll : public QObject {
    Q_OBJECT

public:
    // Installs the player's wake hook; one PlaybackRoll at a time. UI thread.
    explicit PlaybackRoll(QObject* parent = nullptr);
    // Stops a running playback first, so that no tick wakes a roll that is gone.
    ~PlaybackRoll() override;

    // The size the next roll is drawn at (the client area's). A roll already drawn keeps
    // its size until the next start.
    void set_client_size(QSize size);

    const QPixmap& canvas() const { return canvas_; }

    // The window's repaint while MIDI plays: the full coloured roll of the view onto the
    // canvas. Returns the status line (a null QString when it keeps its text).
    QString draw_full_roll();

    // Paints everything the player handed over since the last drain, and runs the stop
    // sequence when the player reached its end. Called through the wake hook; tests call it.
    void drain();

signals:
    void canvas_changed();                    // show the canvas again
    void status_line(const QString& text);    // the roll's status line, written at start
    void playback_stopped();                  // the player stopped: the menu may change

private:
    void start_canvas(QPainter& painter, uint32_t span_ticks);

    QSize client_size_{640, 480};
    QPixmap canvas_;
    RollDrawState state_;  // the player's own: a repaint of the view never resets it
};
