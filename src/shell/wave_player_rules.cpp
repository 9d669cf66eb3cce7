#include "shell/wave_player_rules.h"

#include <cstdio>

#include "wave/wav_reader.h"

namespace {

std::string time_text(int64_t ms)
{
    if (ms < 0)
        return "-:--.-";
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(ms / 60000),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms / 100 % 10));
    return text;
}

} // namespace

ScreenRect wave_player_rect(const ScreenRect& active_window)
{
    return {active_window.x, active_window.y + WAVE_PLAYER_DROP, active_window.width,
            WAVE_PLAYER_HEIGHT};
}

std::string wave_player_position_text(int64_t position_ms, int64_t length_ms)
{
    return time_text(position_ms < 0 ? 0 : position_ms) + " / " + time_text(length_ms);
}

std::string wave_player_file_name(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string wave_player_path()
{
    return wave_data.frame_count > 0 ? std::string(wave_data.wave_name) : std::string();
}
