#include "midi/smf_reader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/file_io.h"
#include "core/settings.h"
#include "midi/event_statistics.h"
#include "midi/midi_event_list.h"
#include "midi/smf_scan.h"
#include "midi/smf_sequence.h"
#include "midi/smf_subset_reader.h"

namespace {

constexpr size_t LEAST_FILE_BYTES = 22;  // the header chunk and a track chunk's header

constexpr SmfReadProblem CANNOT_OPEN = {"The file cannot be opened.", "ファイルを開けません。"};
constexpr SmfReadProblem DAMAGED = {
    "The file is not a Standard MIDI File that can be read: it is cut short or a track is empty.",
    "読み込めるSMF形式のMIDIファイルではありません（途中で切れているか、空のトラックがあります）。"};
constexpr SmfReadProblem SMPTE_DIVISION = {
    "Standard MIDI Files timed in SMPTE frames are not supported; only ticks per quarter note are.",
    "SMPTE形式（フレーム単位）の時間分解能のSMFには対応していません。4分音符あたりのティック数のSMFのみ読み込めます。"};
constexpr SmfReadProblem FORMAT_2 = {
    "Standard MIDI Files of format 2 (independent patterns) are not supported; only formats 0 and 1 are.",
    "フォーマット2（独立した複数のパターン）のSMFには対応していません。フォーマット0と1のSMFのみ読み込めます。"};

const SmfReadProblem* last_problem = nullptr;

int32_t fail(const SmfReadProblem& problem)
{
    last_problem = &problem;
    return -1;
}

// A header that is sound but names what no reading can play right.
const SmfReadProblem* refusal(SmfBytes bytes)
{
    switch (scan_smf_header(bytes).result) {
    case SmfScanResult::SmpteDivision:
        return &SMPTE_DIVISION;
    case SmfScanResult::Format2:
        return &FORMAT_2;
    default:
        return nullptr;
    }
}

void leave_list_empty()
{
    MidiEventList& list = midi_event_list;
    clear_event_list();
    list.channels_used = 1;
    list.last_event_time = 0;
    list.duration_ms = 0;
}

void fill_list(int32_t capacity, const std::vector<MidiEvent>& events, int32_t channels, int32_t time_unit,
               uint32_t last_event_time)
{
    MidiEventList& list = midi_event_list;
    create_event_list(std::max(capacity, static_cast<int32_t>(events.size())));
    for (const MidiEvent& e : events)
        append_event(e);
    list.channels_used = channels;
    conversion_settings.TIME_UNIT = time_unit;
    list.last_event_time = last_event_time;
    list.duration_ms = ticks_to_duration_ms(list.last_event_time);
}

// Files of the subset, and damaged ones, the subset's way; other well-formed ones as played.
bool read_contents(SmfBytes bytes)
{
    const SmfScan scan = scan_smf(bytes);
    if (scan.result == SmfScanResult::WellFormed && !is_in_written_subset(scan)) {
        const SmfSequence sequence = read_smf_sequence(scan);
        fill_list(0, sequence.events, sequence.channels, sequence.time_unit, sequence.last_event_time);
        return true;
    }
    const std::optional<SmfSubsetContents> contents = read_smf_subset(bytes);
    if (!contents)
        return false;
    fill_list(contents->capacity, contents->events, contents->channels, contents->time_unit,
              contents->last_event_time);
    return true;
}

} // namespace

const SmfReadProblem* smf_read_problem()
{
    return last_problem;
}

int32_t read_smf(const char* path)
{
    last_problem = nullptr;
    const std::optional<std::vector<uint8_t>> file = read_file_bytes(path);
    if (!file)
        return fail(CANNOT_OPEN);
    const SmfBytes bytes(*file);
    midi_event_list.source_name = path;
    leave_list_empty();
    if (const SmfReadProblem* refused = refusal(bytes))
        return fail(*refused);
    if (bytes.size() < LEAST_FILE_BYTES || !read_contents(bytes))
        return fail(DAMAGED);
    return count_polyphony();
}
