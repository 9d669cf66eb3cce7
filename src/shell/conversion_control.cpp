#include "shell/conversion_control.h"

#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>

#include "analysis/analysis_file.h"
#include "conversion/conversion_driver.h"
#include "core/messages.h"
#include "core/status.h"
#include "wave/wav_reader.h"

const char* const RECONVERT_REFUSED_TEXT =
    "MIDI再変換は読み込んだWAVファイルの解析ファイルから行います。"
    "今のファイルはそのWAVファイルのものではないため、再変換できません。"
    "WAVファイルを読み込み直してから[MIDI変換]してください。";

const char* const NO_WORKER_THREAD_TEXT =
    "変換用のスレッドを作れなかったため、変換を開始できませんでした。"
    "ほかのプログラムを終了してから、もう一度お試しください。";

WorkerThreadHook before_worker_thread_start = nullptr;

namespace {

constexpr const char* CAPTION = "Tonagram";

std::thread worker;
uint64_t run_count = 0;         // runs started
uint64_t finished_run = 0;      // the last run finished
uint32_t messages_at_start = 0;  // shown_message_count when the run started
bool stop_was_requested = false;

// The worker thread: the conversion, then the end callback with what it returned. Nothing
// may leave the thread: an exception there would end the program.
void worker_body(uint64_t run, WorkerEndCallback on_end)
{
    const int32_t events = conversion_worker();
    try {
        if (on_end)
            on_end(run, events);
    } catch (const std::exception&) {
        // The window missed the end; conversion_thread is clear, so its menu still follows,
        // and the next start joins this thread.
    }
}

// Creates the worker thread; false when the system gives none.
bool create_worker_thread(WorkerEndCallback on_end)
{
    try {
        if (before_worker_thread_start)
            before_worker_thread_start();
        worker = std::thread(worker_body, run_count + 1, on_end);
    } catch (const std::system_error&) {
        return false;
    }
    ++run_count;
    return true;
}

// Refuses, with a message, what the worker would refuse or should not do. The analysis
// file is named after current_path, which may name another recording's MIDI file: a
// re-conversion would read that recording's analysis, a full one would overwrite it.
bool refuse_start()
{
    if (!analysis_belongs_to_wave()) {
        if (conversion_status.reconvert) {
            show_message(CAPTION, RECONVERT_REFUSED_TEXT);
            return true;
        }
        set_current_path(wave_data.wave_name);
    }
    if (const char* problem = refused_conversion_setting()) {
        show_message(CAPTION, problem);
        return true;
    }
    return false;
}

} // namespace

WorkerStart start_conversion_worker(WorkerEndCallback on_end)
{
    // A running worker keeps a stop request it was given: it is the only way it ends early.
    if (conversion_status.conversion_thread)
        return WorkerStart::AlreadyRunning;
    conversion_status.stop_request = 0;
    if (refuse_start())
        return WorkerStart::Refused;
    // An earlier worker has ended (conversion_thread is clear); never drop it unjoined.
    if (worker.joinable())
        worker.join();
    stop_was_requested = false;
    messages_at_start = shown_message_count;
    conversion_status.conversion_thread = true;
    if (!create_worker_thread(on_end)) {
        // Cleared before the message: its box runs the menu rules, which must not see a
        // worker (they would enable the stop command for good).
        conversion_status.conversion_thread = false;
        show_message(CAPTION, NO_WORKER_THREAD_TEXT);
        return WorkerStart::Refused;
    }
    return WorkerStart::Started;
}

uint64_t current_conversion_run()
{
    return run_count;
}

bool request_conversion_stop()
{
    if (!conversion_status.conversion_thread)
        return false;
    conversion_status.stop_request = 1;
    stop_was_requested = true;
    return true;
}

bool finish_conversion_worker(uint64_t run, int32_t events, ConversionOutcome& outcome)
{
    if (run != run_count || run == finished_run)
        return false;
    finished_run = run;
    // The callback was the thread's last step: this join returns at once.
    if (worker.joinable())
        worker.join();
    if (events == CONVERSION_OUT_OF_MEMORY || events == CONVERSION_FAILED) {
        if (stop_was_requested)
            conversion_status.reconvert = 0;
        outcome = events == CONVERSION_OUT_OF_MEMORY ? ConversionOutcome::OutOfMemory : ConversionOutcome::Failed;
    } else if (stop_was_requested) {
        conversion_status.reconvert = 0;
        conversion_status.document_state = 2;
        outcome = ConversionOutcome::Stopped;
    } else if (shown_message_count != messages_at_start) {
        outcome = ConversionOutcome::Refused;
    } else {
        outcome = events > 0 ? ConversionOutcome::Converted : ConversionOutcome::NoNotes;
    }
    return true;
}

void wait_for_conversion_worker()
{
    if (worker.joinable())
        worker.join();
}

bool analysis_belongs_to_wave()
{
    char from_path[PATH_CAPACITY];
    char from_wave[PATH_CAPACITY];
    return make_analysis_path(conversion_status.current_path, from_path, sizeof from_path, "fft") &&
           make_analysis_path(wave_data.wave_name, from_wave, sizeof from_wave, "fft") &&
           std::strcmp(from_path, from_wave) == 0;
}

std::string conversion_notice(ConversionOutcome outcome, int32_t events)
{
    switch (outcome) {
    case ConversionOutcome::Converted:
    case ConversionOutcome::Refused:
        return {};  // the roll shows the result; a refusal has had its own message
    case ConversionOutcome::NoNotes:
        return "ノートが見つかりませんでした。MIDIデータは変わっていません。";
    case ConversionOutcome::OutOfMemory:
        return "メモリが足りなくなったため、変換を中止しました。"
               "変換の途中で作りかけたデータは破棄しました。";
    case ConversionOutcome::Failed:
        return "変換中にエラーが起きたため、変換を中止しました。"
               "変換の途中で作りかけたデータは破棄しました。";
    case ConversionOutcome::Stopped:
        if (events > 0)
            return "変換を停止しました。解析済みの部分から" + std::to_string(events) +
                   "イベントを作りました。";
        return "変換を停止しました。解析済みの部分にノートはありませんでした。";
    }
    return {};
}

bool wave_analysis_exists()
{
    char path[PATH_CAPACITY];
    if (!make_analysis_path(wave_data.wave_name, path, sizeof path, "fft"))
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}
