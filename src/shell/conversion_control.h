// Starting, stopping and finishing the conversion worker thread of the GUI program.
// At most one worker runs; it is joined before another starts and before the program
// ends. Stopping is cooperative: the analysis leaves at its next frame and the worker then
// runs the later stages once over what was analysed. All calls here are made on the UI
// thread, except the end callback.
#pragma once

#include <cstdint>
#include <string>

// OutOfMemory and Failed: a stage threw (std::bad_alloc, another std::exception); the
// worker released what it was building and the window stays usable.
enum class ConversionOutcome { Converted, NoNotes, Refused, Stopped, OutOfMemory, Failed };

// Called on the worker thread right after the worker ended: run is the number start gave,
// events what the worker returned. The UI posts from here to its own thread.
using WorkerEndCallback = void (*)(uint64_t run, int32_t events);

enum class WorkerStart { Started, AlreadyRunning, Refused };

// Starts the worker for a conversion (reconvert as the command set it), clearing
// stop_request. A running worker is not disturbed, nor its stop request (AlreadyRunning). Refused, with a
// message and without a thread, when a setting would be refused, for a re-conversion
// whose analysis file would not be the loaded WAV file's, or when the system gives no
// thread (conversion_thread is then clear again). A full conversion first points
// current_path back at the loaded WAV file, so its analysis file lands beside it.
WorkerStart start_conversion_worker(WorkerEndCallback on_end);

// Called just before the worker thread is created. Tests throw std::system_error from it
// to stand for a system out of threads; it is empty otherwise.
using WorkerThreadHook = void (*)();
extern WorkerThreadHook before_worker_thread_start;

// The number of the run last started (0 before the first).
uint64_t current_conversion_run();

// Asks a running worker to stop (stop_request 1); returns at once. False when none runs.
bool request_conversion_stop();

// After the end callback of run, on the UI thread: joins the ended thread and tells what
// came of it. A stopped run leaves reconvert 0 and document_state 2. Returns nothing for a
// stale run (one already finished or superseded).
bool finish_conversion_worker(uint64_t run, int32_t events, ConversionOutcome& outcome);

// Blocks until a worker has ended and joins it (end of the program, tests). The end
// callback has been called when this returns; finishing the run is still up to the caller.
void wait_for_conversion_worker();

// True when the analysis file named after current_path is the one of the loaded WAV file.
bool analysis_belongs_to_wave();

// True when the analysis file of the loaded WAV file (wave_data.wave_name) exists: what
// the clean transcription command works from.
bool wave_analysis_exists();

// What the user is told when a run ended, UTF-8; empty when the piano roll says it all.
std::string conversion_notice(ConversionOutcome outcome, int32_t events);

extern const char* const RECONVERT_REFUSED_TEXT;
extern const char* const NO_WORKER_THREAD_TEXT;
