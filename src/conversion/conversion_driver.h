// The conversion pipeline: from the loaded wave (or the last analysis file) to the event list.
#pragma once

#include <cstdint>

// The first setting the next conversion cannot work with (the analysis settings only when
// it will analyse), as a clear English sentence, or nullptr.
const char* refused_conversion_setting();

// Runs the stages in order: mixdown and analysis (skipped when reconvert is set), note
// extraction, event building, the rate limit (BIT_RATE > 0), the polyphony count and the
// note filter (FLT_CONNECT on). Returns the final event_count, or 0 when extraction found
// nothing or the settings were refused (then the event list keeps its previous content).
int32_t run_conversion();

// The body of the GUI's conversion worker thread: the same stages, then the end of the
// conversion is published (document_state 2 on success, conversion_thread cleared and
// conversion_finished_hook called in every case, so the window never waits for a worker
// that has ended). Returns what run_conversion would.
int32_t conversion_worker();

// Called on the worker thread when conversion_worker ends; the GUI posts a repaint to its
// UI thread from here. May be empty.
using ConversionFinishedHook = void (*)(int32_t event_count);
extern ConversionFinishedHook conversion_finished_hook;
