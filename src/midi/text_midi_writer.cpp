#include "midi/text_midi_writer.h"

#include <cstdio>
#include <string>

#include "core/file_io.h"
#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/note_names.h"

namespace {

// A letter and a decimal number, e.g. "T384".
void append_number(std::string& out, char letter, int64_t value)
{
    out += letter;
    out += std::to_string(value);
}

// "c" and the channel as one hex digit, only for channels other than 0.
void append_channel(std::string& out, int channel)
{
    if (channel == 0)
        return;
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "c%x", channel);
    out += buffer;
}

void append_note_line(std::string& out, const MidiEvent& e)
{
    out += note_name(e.data1);
    if (is_note_on(e) && e.data2 != 0)
        append_number(out, 'v', e.data2);
    append_channel(out, event_channel(e));
    out += '\n';
}

// Bend in cents for a range of +-2 semitones; 8192 is 0, truncating toward zero.
int32_t bend_cents(const MidiEvent& e)
{
    int32_t value = e.data2 * 128 + e.data1;
    return (value * 100 - 819200) / 4096;
}

// Appends the event line of one event; kinds the file has no line for give none.
void append_event_line(std::string& out, const MidiEvent& e)
{
    const int kind = e.status & 0xF0;
    if (kind == MIDI_NOTE_OFF || kind == MIDI_NOTE_ON) {
        append_note_line(out, e);
    } else if (kind == MIDI_PITCH_BEND) {
        append_number(out, 'P', bend_cents(e));
        append_channel(out, event_channel(e));
        out += '\n';
    } else if (kind == MIDI_CONTROL_CHANGE) {
        append_number(out, 'X', e.data2);
        append_channel(out, event_channel(e));
        out += '\n';
    }
}

} // namespace

int32_t write_text_midi(const char* path)
{
    MidiEventList& list = midi_event_list;
    if (list.event_count <= 0)
        return 0;
    ReplacingFile file(path);
    if (!file)
        return 0;

    std::string out = "Version 645\nEvent_Max_count ";
    out += std::to_string(list.event_count);
    out += "\nTime_Resolution ";
    out += std::to_string(conversion_settings.TIME_UNIT);
    out += '\n';
    int32_t running_time = 0;
    for (int32_t i = 0; i < list.event_count; ++i) {
        const MidiEvent& e = list.events[static_cast<size_t>(i)];
        // 64-bit difference: a negative time minus a large running time must not wrap.
        const int64_t interval = static_cast<int64_t>(e.time) - running_time;
        if (interval > 0) {
            append_number(out, 'T', interval);
            out += '\n';
            running_time = e.time;
        }
        append_event_line(out, e);
    }
    if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size() || !file.commit())
        return 0;  // a full disk must not pass for a written file

    list.last_event_time = static_cast<uint32_t>(running_time);
    list.duration_ms = ticks_to_duration_ms(list.last_event_time);
    list.source_name = path;
    return list.event_count;
}
