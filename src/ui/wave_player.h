// The WAV player: plays a sound file in a small top-level transport window that shows the
// file name, the position and the mode, placed over the active window. UI thread.
#pragma once

#include <functional>

class QString;
class QWidget;

// Opens the transport window owned by owner at the active window's left edge, 40 pixels
// below its top, as wide and 50 pixels high, and starts playing path. wave_playing becomes 1.
void start_wave_player(QWidget* owner, const QString& path);

// The poll: closes a player that has stopped (at the end of the file, or stopped in its
// window); a player that could not play stays open showing why. Returns wave_playing.
bool poll_wave_player();

// Stops and closes the player; wave_playing becomes 0. Harmless when none is open.
void close_wave_player();

// The open transport window, or nullptr.
QWidget* wave_player_window();

// Called whenever the player's mode changes or its window closes; the main window runs
// its prologue from here, so the end of the file needs no user action.
void set_wave_player_listener(std::function<void()> listener);
