// Tonagram --render INPUT OUTPUT.png [--size WxH]: draws what the main window's client area
// shows for INPUT (a .wav file in the waveform view, a .txt or .mid file in the piano roll)
// offscreen into a PNG of W x H pixels (default 800 x 600, the status bar's strip included)
// and prints the status line to standard output.
#pragma once

// True when the command line asks for the render command.
bool is_render_command(int argc, char** argv);

// Runs the render command; returns the process exit status: 0, or 1 after one line on
// standard error when the arguments are wrong, INPUT cannot be read, holds nothing to
// draw or has another extension, or the PNG cannot be written (no PNG is left behind then). Creates its own
// application object on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
int run_render_command(int argc, char** argv);
