// Where the WAV player's transport window goes and what it shows, without a toolkit.
#pragma once

#include <cstdint>
#include <string>

struct ScreenRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Height of the transport window in pixels.
inline constexpr int32_t WAVE_PLAYER_HEIGHT = 50;
// How far below the active window's top edge it opens.
inline constexpr int32_t WAVE_PLAYER_DROP = 40;

// The transport window for the active window's screen rectangle: at its left edge,
// WAVE_PLAYER_DROP pixels below its top, as wide, WAVE_PLAYER_HEIGHT high.
ScreenRect wave_player_rect(const ScreenRect& active_window);

// "m:ss.s / m:ss.s" for a position and a length in milliseconds (a negative or unknown
// length shows as "-:--.-").
std::string wave_player_position_text(int64_t position_ms, int64_t length_ms);

// The file [WAV再生] plays: the loaded WAV file (the one the waveform view shows and a
// conversion reads), whatever file a dialog chose since; empty when none is loaded.
std::string wave_player_path();

// The file name without its directory, as the transport window shows it.
std::string wave_player_file_name(const std::string& path);
