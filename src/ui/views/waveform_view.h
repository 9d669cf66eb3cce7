// The waveform view: the loaded WAV data as one strip, or two labelled strips for stereo.
#pragma once

#include <optional>
#include <string>

class QPainter;

// Draws wave_data into a client area of width x height pixels (the status-bar strip at its
// bottom included). Returns the status line, or nothing (the status line keeps its text)
// when no wave is loaded. UI thread.
std::optional<std::string> draw_waveform_view(QPainter& painter, int width, int height);
