#include "shell/file_reads.h"

#include <utility>

#include "core/messages.h"
#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/text_midi_reader.h"
#include "wave/wav_reader.h"

namespace {

std::string captured;  // UI thread: reads run only while no worker runs

void capture(const char* /*caption*/, const char* text)
{
    if (captured.empty())
        captured = text;
}

// Runs read with the engine's messages kept for the caller instead of shown, so that a
// failure is told once, in one box that names the file.
template <class Read>
auto with_messages_captured(Read read, std::string& message)
{
    const MessageHook installed = message_hook;
    message_hook = capture;
    captured.clear();
    const auto result = read();
    message_hook = installed;
    message = std::exchange(captured, {});
    return result;
}

} // namespace

ReadAttempt read_wave_keeping_old(const std::string& path)
{
    ReadAttempt attempt;
    // Moved aside, not copied: the reader releases the samples before reading anyway.
    WaveData previous = std::move(wave_data);
    wave_data.samples.clear();
    const int32_t frames = with_messages_captured([&] { return read_wave(path.c_str()); },
                                                  attempt.message);
    attempt.no_data = frames == 0;
    attempt.failed = frames <= 0;
    if (attempt.failed)
        wave_data = std::move(previous);
    return attempt;
}

ReadAttempt read_list_keeping_old(FileKind kind, const std::string& path)
{
    ReadAttempt attempt;
    const MidiEventList previous = midi_event_list;
    const int32_t previous_time_unit = conversion_settings.TIME_UNIT;
    const TextMidiReaderMemory previous_memory = text_midi_reader_memory;
    // The text reader leaves the list alone when it cannot open the file: start empty, so
    // that every failure shows as a list without events.
    clear_event_list();
    const int32_t polyphony = with_messages_captured(
        [&] { return kind == FileKind::Smf ? read_smf(path.c_str()) : read_text_midi(path.c_str()); },
        attempt.message);
    const bool refused = kind == FileKind::Smf ? polyphony < 0 : false;
    attempt.no_data = !refused && valid_event_count() == 0;
    attempt.failed = refused || attempt.no_data;
    if (attempt.failed) {
        midi_event_list = previous;
        conversion_settings.TIME_UNIT = previous_time_unit;
        text_midi_reader_memory = previous_memory;
        return attempt;
    }
    midi_event_list.max_polyphony = polyphony;
    return attempt;
}
