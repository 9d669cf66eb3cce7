#include "midi/smf_writer.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <vector>

#include "core/file_io.h"
#include "core/settings.h"
#include "midi/midi_event_list.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int64_t QUARTERS_PER_TRACK_END = 8;     // the track ends on a grid of two 4/4 bars
constexpr int64_t MICROSECONDS = 1000000;
constexpr int64_t MAX_TEMPO = 0xFFFFFF;           // the 24 bits of a tempo event
constexpr uint32_t MAX_DELTA = 0x0FFFFFFF;        // largest four-byte variable-length quantity
constexpr int32_t SETUP_BYTES_PER_CHANNEL = 22;

// Format 0, one track; the division follows.
constexpr uint8_t HEADER_CHUNK[12] = {0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1};
// Track name: half-width katakana "track" in Shift-JIS, a space and "1".
constexpr uint8_t TRACK_NAME_EVENT[10] = {0x00, 0xFF, 0x03, 0x06, 0xC4, 0xD7, 0xAF, 0xB8, 0x20, 0x31};
constexpr uint8_t TIME_SIGNATURE_EVENT[8] = {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08};
constexpr uint8_t END_OF_TRACK[3] = {0xFF, 0x2F, 0x00};

// Data bytes above 127 would read as status bytes and break the file.
uint8_t data_byte(int32_t value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 127));
}

void put_variable_length(Bytes& out, uint32_t value)
{
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value > 0 && count < 4);
    while (count > 1)
        out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

// A delta time; intervals beyond four bytes are carried across empty text events so the
// following event keeps its time.
void put_delta(Bytes& out, int64_t delta)
{
    while (delta > MAX_DELTA) {
        put_variable_length(out, MAX_DELTA);
        out.insert(out.end(), {0xFF, 0x01, 0x00});
        delta -= MAX_DELTA;
    }
    put_variable_length(out, static_cast<uint32_t>(std::max<int64_t>(delta, 0)));
}

// The kinds an event list holds; other status bytes would need other message lengths.
bool is_list_message(uint8_t status)
{
    const int kind = status & 0xF0;
    return kind == MIDI_NOTE_OFF || kind == MIDI_NOTE_ON || kind == MIDI_CONTROL_CHANGE ||
           kind == MIDI_PITCH_BEND;
}

int32_t setup_channel_count()
{
    return std::clamp(midi_event_list.channels_used, 1, 16);
}

// Bank, program and volume for every channel in use, then bend centre and expression.
void put_setup(Bytes& out)
{
    const MidiOutputSettings& s = midi_output_settings;
    const int32_t channels = setup_channel_count();
    if (s.PROGRAM > 0) {
        for (int32_t c = 0; c < channels; ++c) {
            const uint8_t control = static_cast<uint8_t>(0xB0 + c);
            out.insert(out.end(), {0x00, control, 0x00, data_byte(s.BANK1)});
            out.insert(out.end(), {0x00, 0x20, data_byte(s.BANK2)});  // running status
            out.insert(out.end(), {0x00, static_cast<uint8_t>(0xC0 + c), data_byte(s.PROGRAM - 1)});
            out.insert(out.end(), {0x00, control, 0x07, data_byte(s.VOLUME)});
        }
    }
    for (int32_t c = 0; c < channels; ++c) {
        out.insert(out.end(), {0x00, static_cast<uint8_t>(0xE0 + c), 0x00, 0x40});
        out.insert(out.end(), {0x00, static_cast<uint8_t>(0xB0 + c), 0x0B, 0x7F});
    }
}

// The list events without running status; returns the running time reached. An event
// earlier than the running time is written as simultaneous with its predecessor.
int64_t put_list_events(Bytes& out, int64_t& written_time)
{
    const MidiEventList& list = midi_event_list;
    int64_t running_time = 0;
    for (int32_t i = 0; i < list.event_count; ++i) {
        const MidiEvent& e = list.events[static_cast<size_t>(i)];
        running_time += std::max<int64_t>(static_cast<int64_t>(e.time) - running_time, 0);
        if (!is_list_message(e.status))
            continue;  // its interval moves on to the next written event
        put_delta(out, running_time - written_time);
        written_time = running_time;
        out.insert(out.end(), {e.status, data_byte(e.data1), data_byte(e.data2)});
    }
    return running_time;
}

// Appends one byte at a time: GCC 12 at -O3 misreads a range insert into a reserved vector
// as an overflow.
void put_bytes(Bytes& out, std::span<const uint8_t> bytes)
{
    for (const uint8_t b : bytes)
        out.push_back(b);
}

void put_bytes(Bytes& out, std::initializer_list<uint8_t> bytes)
{
    put_bytes(out, std::span<const uint8_t>(bytes.begin(), bytes.size()));
}

void put_u32(Bytes& out, uint32_t value)
{
    out.insert(out.end(), {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                           static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

} // namespace

int32_t smf_division(int32_t time_unit)
{
    if (time_unit < SMF_MIN_TIME_UNIT || time_unit > SMF_MAX_TIME_UNIT)
        return 0;
    if (time_unit >= SMF_FULL_DIVISION_TIME_UNIT)
        return SMF_TICKS_PER_QUARTER;
    for (int64_t division = SMF_TICKS_PER_QUARTER; division > 0; --division) {
        const int64_t scaled = division * MICROSECONDS;
        if (scaled % time_unit == 0 && scaled / time_unit <= MAX_TEMPO)
            return static_cast<int32_t>(division);
    }
    return 0;  // not reached: 16 * time_unit qualifies
}

uint32_t smf_tempo(int32_t time_unit)
{
    const int64_t division = smf_division(time_unit);
    return division > 0 ? static_cast<uint32_t>(division * MICROSECONDS / time_unit) : 0;
}

const char* smf_settings_problem()
{
    if (smf_division(conversion_settings.TIME_UNIT) == 0)
        return "TIME_UNIT (time resolution per second) must be from 1 to 384000000 for a Standard MIDI File.";
    return nullptr;
}

int32_t write_smf(const char* path)
{
    MidiEventList& list = midi_event_list;
    const int32_t time_unit = conversion_settings.TIME_UNIT;
    if (list.event_count <= 0 || smf_settings_problem())
        return -1;
    ReplacingFile file(path);
    if (!file)
        return -1;

    // Sized for everything the track can hold, so building it never reallocates.
    Bytes variable;
    variable.reserve(static_cast<size_t>(list.event_count) * 12 +
                     static_cast<size_t>(setup_channel_count()) * SETUP_BYTES_PER_CHANNEL + 64);
    put_setup(variable);
    int64_t written_time = 0;
    const int64_t running_time = put_list_events(variable, written_time);
    const int32_t division = smf_division(time_unit);
    const int64_t grid = QUARTERS_PER_TRACK_END * division;
    const int64_t track_end = (running_time + grid - 1) / grid * grid;
    put_delta(variable, track_end - written_time);
    const uint32_t n = static_cast<uint32_t>(variable.size());

    const uint32_t tempo = smf_tempo(time_unit);
    Bytes out;
    out.reserve(std::size(HEADER_CHUNK) + 2 + 8 + 28 + variable.size() + std::size(END_OF_TRACK));
    put_bytes(out, HEADER_CHUNK);
    put_bytes(out, {static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)});
    put_bytes(out, {0x4D, 0x54, 0x72, 0x6B});
    put_u32(out, n + 28);
    put_bytes(out, TRACK_NAME_EVENT);
    put_bytes(out, TIME_SIGNATURE_EVENT);
    put_bytes(out, {0x00, 0xFF, 0x51, 0x03, static_cast<uint8_t>(tempo >> 16),
                    static_cast<uint8_t>(tempo >> 8), static_cast<uint8_t>(tempo)});
    out.insert(out.end(), variable.begin(), variable.end());
    out.insert(out.end(), std::begin(END_OF_TRACK), std::end(END_OF_TRACK));
    if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size() || !file.commit())
        return -1;  // a full disk must not pass for a written file

    list.last_event_time = static_cast<uint32_t>(running_time);
    list.duration_ms = ticks_to_duration_ms(list.last_event_time);
    return static_cast<int32_t>(n);
}
