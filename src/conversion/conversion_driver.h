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

// What conversion_worker returns when a stage threw: memory ran out (std::bad_alloc), or
// another std::exception.
inline constexpr int32_t CONVERSION_OUT_OF_MEMORY = -1;
inline constexpr int32_t CONVERSION_FAILED = -2;

// The body of the GUI's conversion worker thread: the same stages, then the end of the
// conversion is published (document_state 2 on success, conversion_thread cleared and
// conversion_finished_hook called in every case, so the window never waits for a worker
// that has ended). Returns what run_conversion would, or one of the failures above: an
// exception never leaves the thread. After a failure nothing is half-made: the analysis
// tables and segment lists are released and, once event building had begun, the event
// list is empty; otherwise it keeps its previous content.
int32_t conversion_worker();

// The stages as the driver starts them.
enum class ConversionStage { Mixdown, Analysis, Extraction, Events, RateLimit, Polyphony, Filter };

// Called at the start of every stage, on the thread that runs the conversion. Tests make a
// stage fail from here; it is empty otherwise.
using ConversionStageHook = void (*)(ConversionStage stage);
extern ConversionStageHook conversion_stage_hook;

// Called on the worker thread when conversion_worker ends; the GUI posts a repaint to its
// UI thread from here. May be empty.
using ConversionFinishedHook = void (*)(int32_t event_count);
extern ConversionFinishedHook conversion_finished_hook;
