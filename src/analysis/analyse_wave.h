// The whole frequency analysis of the loaded wave into its analysis file.
#pragma once

#include <cstdint>

inline constexpr const char* ANALYSIS_CAPTION = "Tonagram";

// Analyses the mono wave_data every 16 samples and writes the analysis file beside the WAV
// file named by current_path. Returns the record lines written (also kept in
// analysis_record_count, with max_level); 0 when the settings or the path are refused or
// the file cannot be written completely, in which case a message says why and an analysis
// file left by an earlier run stays as it was. Ends early after the frame in progress when
// stop_request is set; the file then holds every block written so far.
int32_t analyse_wave();
