#include "shell/conversion_control.h"

#include <cstring>
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

namespace {

constexpr const char* CAPTION = "Tonagram";

std::thread worker;
uint64_t run_count = 0;         // runs started
uint64_t finished_run = 0;      // the last run finished
uint32_t messages_at_start = 0;  // shown_message_count when the run started
bool stop_was_requested = false;

// The worker thread: the conversion, then the end callback with what it returned.
void worker_body(uint64_t run, WorkerEndCallback on_end)
{
    const int32_t events = conversion_worker();
    if (on_end)
        on_end(run, events);
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
    worker = std::thread(worker_body, ++run_count, on_end);
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
    if (stop_was_requested) {
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
