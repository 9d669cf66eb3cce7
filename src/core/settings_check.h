// Settings the conversion cannot work with. Loading and the dialogs never limit values,
// so the conversion refuses these before it writes anything.
#pragma once

// Largest analysis frame: the table build keeps each window in 32768-entry scratch arrays.
inline constexpr int FFT_SIZE_MAX = 32768;
// Smallest analysis frame: a window of 16 samples or more must fit.
inline constexpr int FFT_SIZE_MIN = 32;

// A clear English sentence naming the first setting the analysis cannot use, or nullptr.
const char* analysis_settings_problem();

// Likewise for the stages after the analysis (note extraction, events, writers).
const char* conversion_settings_problem();
