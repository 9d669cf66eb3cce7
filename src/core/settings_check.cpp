#include "core/settings_check.h"

#include "core/settings.h"

const char* analysis_settings_problem()
{
    const ConversionSettings& s = conversion_settings;
    if (s.KEY_MIN < 0 || s.KEY_MIN > 127 || s.KEY_MAX < 0 || s.KEY_MAX > 127)
        return "KEY_MIN and KEY_MAX must be MIDI notes from 0 to 127.";
    if (s.KEY_MIN > s.KEY_MAX)
        return "KEY_MIN must not be above KEY_MAX.";
    if (s.FFT_SIZE < FFT_SIZE_MIN || s.FFT_SIZE > FFT_SIZE_MAX)
        return "FFT_SIZE (analysis frame width) must be from 32 to 32768 samples.";
    return nullptr;
}

const char* conversion_settings_problem()
{
    if (conversion_settings.TIME_UNIT <= 0)
        return "TIME_UNIT (time resolution per second) must be 1 or more.";
    return nullptr;
}
