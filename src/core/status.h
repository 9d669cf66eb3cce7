// The small program-wide state shared by the front ends and the conversion stages,
// and the one progress call of table building and analysis.
#pragma once

#include <atomic>
#include <cstdint>

inline constexpr int32_t PROGRESS_TABLES = 4;    // building the sinusoid tables
inline constexpr int32_t PROGRESS_ANALYSIS = 2;  // frequency analysis
inline constexpr int32_t PATH_CAPACITY = 4096;   // bytes of current_path, terminator included: Linux PATH_MAX

struct ConversionStatus {
    // 0 nothing, 1 waveform view, 2 piano roll; written by the GUI and by the worker while
    // the UI thread paints
    std::atomic<int32_t> document_state{0};
    std::atomic<bool> conversion_thread{false};  // a conversion worker runs; the GUI owns the thread itself
    int32_t reconvert = 0;       // 1: the next conversion starts from the existing analysis file
    std::atomic<int32_t> stop_request{0};  // set by the stop command, read once per analysed frame
    int32_t console_mode = 0;    // 1 in the batch program: progress goes to standard output
    char current_path[PATH_CAPACITY] = {};  // the one path buffer of readers, writers and dialogs
};

extern ConversionStatus conversion_status;

// Puts the status back to its start values (tests use it).
void reset_conversion_status();

// Copies text into current_path. Returns false, leaving the buffer unchanged, when the text
// does not fit (at most PATH_CAPACITY - 1 characters).
bool set_current_path(const char* text);

// Reports how far a long stage is. kind PROGRESS_TABLES or PROGRESS_ANALYSIS; any other kind
// does nothing. Console mode prints a carriage-return line to standard output; otherwise the
// text goes to the installed window hook. May be called on the conversion worker thread.
void report_progress(int32_t kind, int32_t percent);

// Where window-mode progress goes: the GUI installs a function that hands the text (UTF-8,
// without line end) to its UI thread. Without one, window-mode progress is dropped.
using ProgressWindowHook = void (*)(const char* text);
extern ProgressWindowHook progress_window_hook;
