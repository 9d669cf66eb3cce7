#include "core/status.h"

#include <cstdio>
#include <cstring>

ConversionStatus conversion_status;
ProgressWindowHook progress_window_hook = nullptr;

void reset_conversion_status()
{
    conversion_status.document_state = 0;
    conversion_status.conversion_thread = false;
    conversion_status.reconvert = 0;
    conversion_status.stop_request = 0;
    conversion_status.console_mode = 0;
    std::memset(conversion_status.current_path, 0, sizeof conversion_status.current_path);
}

bool set_current_path(const char* text)
{
    size_t length = std::strlen(text);
    if (length >= sizeof conversion_status.current_path)
        return false;
    std::memset(conversion_status.current_path, 0, sizeof conversion_status.current_path);
    std::memcpy(conversion_status.current_path, text, length);
    return true;
}

void report_progress(int32_t kind, int32_t percent)
{
    if (kind != PROGRESS_TABLES && kind != PROGRESS_ANALYSIS)
        return;
    if (conversion_status.console_mode) {
        if (kind == PROGRESS_TABLES)
            std::printf("Sinusoidal Waveform Tables : %d [%%]\r", percent);
        else
            std::printf("Signal Processing Executing : %d [%%]\r", percent);
        std::fflush(stdout);
        return;
    }
    if (!progress_window_hook)
        return;
    char text[120];
    if (kind == PROGRESS_TABLES)
        std::snprintf(text, sizeof text, "正弦波テーブル作成：%d [%%]", percent);
    else
        std::snprintf(text, sizeof text, "周波数解析処理進行中：%d [%%]", percent);
    progress_window_hook(text);
}
