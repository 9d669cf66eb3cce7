#include "midi/smf_reader.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "core/file_io.h"
#include "core/settings.h"
#include "midi/event_statistics.h"
#include "midi/midi_event_list.h"
#include "midi/smf_writer.h"

namespace {

using ByteSpan = std::span<const uint8_t>;

constexpr int32_t BUILT_IN_TIME_UNIT = ConversionSettings{}.TIME_UNIT;
constexpr size_t FILE_HEADER_BYTES = 14;
constexpr size_t TRACK_HEADER_BYTES = 8;
constexpr size_t CONDUCTOR_BYTES = 19;
constexpr size_t CONDUCTOR_TEMPO_OFFSET = 12;
constexpr size_t TRACK_SKIP_BEFORE = 16;  // name, time signature or tempo at a track's start
constexpr size_t TRACK_SKIP_AFTER = 4;    // the end-of-track event

// The events of one parsed track and the channel count they need.
struct TrackEvents {
    std::vector<MidiEvent> events;
    int32_t channels = 0;
};

uint32_t read_u24(ByteSpan data, size_t at)
{
    return (uint32_t{data[at]} << 16) | (uint32_t{data[at + 1]} << 8) | data[at + 2];
}

int32_t read_i32(ByteSpan data, size_t at)
{
    return static_cast<int32_t>((uint32_t{data[at]} << 24) | read_u24(data, at + 1));
}

// Ticks per second for a tempo in microseconds per quarter note of 384 ticks.
int32_t time_unit_for_tempo(uint32_t tempo)
{
    if (tempo == 0)
        return BUILT_IN_TIME_UNIT;
    return static_cast<int32_t>(static_cast<uint32_t>(SMF_TICKS_PER_QUARTER) * 1000000u / tempo);
}

// How far the message at pos reaches; 0 ends the parse (a message outside the subset, or
// one whose length byte lies past the end). store tells whether to keep it.
size_t message_length(ByteSpan data, size_t pos, bool& store)
{
    const size_t end = data.size();
    const uint8_t status = data[pos];
    const int kind = status & 0xF0;
    store = false;
    if (kind == MIDI_NOTE_OFF || kind == MIDI_NOTE_ON || kind == MIDI_PITCH_BEND) {
        store = true;
        return 3;
    }
    if (kind == MIDI_CONTROL_CHANGE) {
        if (pos + 1 >= end)
            return 0;
        if (data[pos + 1] == MIDI_EXPRESSION_CONTROLLER) {
            store = true;
            return 3;
        }
        // Bank select followed by its low byte in running status after a one-byte delta.
        if (data[pos + 1] == 0 && pos + 4 < end && data[pos + 4] == 0x20)
            return 6;
        return 3;
    }
    if (kind == 0xC0)
        return 2;
    if (status == 0xFF)
        return pos + 2 < end ? 3 + size_t{data[pos + 2]} : 0;
    if (status == 0xF0)
        return pos + 1 < end ? 2 + size_t{data[pos + 1]} : 0;
    return 0;
}

// Parses data[pos, end of data) into track: delta time, then one message, until a message
// outside the subset or anything that would run past the end.
void parse_track(ByteSpan data, size_t pos, TrackEvents& track)
{
    const size_t end = data.size();
    int64_t time = 0;
    while (pos < end) {
        uint32_t delta = 0;
        bool more = true;
        for (int n = 0; more && n < 4; ++n) {
            if (pos >= end)
                return;
            delta = (delta << 7) | (data[pos] & 0x7Fu);
            more = (data[pos++] & 0x80) != 0;
        }
        // Stays inside the range an event's time can hold, however many deltas follow.
        time = std::min<int64_t>(time + delta, std::numeric_limits<int32_t>::max());
        if (pos >= end)
            return;
        bool store = false;
        const size_t length = message_length(data, pos, store);
        if (length == 0 || length > end - pos)
            return;
        if (store) {
            MidiEvent e;
            e.time = static_cast<int32_t>(time);
            e.status = data[pos];
            e.data1 = data[pos + 1];
            e.data2 = data[pos + 2];
            track.events.push_back(e);
            track.channels = std::max(track.channels, (e.status & 0x0F) + 1);
        }
        pos += length;
    }
}

// A file's chunks as read: the layout, the resolution and the parsed tracks.
struct SmfContents {
    int32_t time_unit = BUILT_IN_TIME_UNIT;
    int32_t capacity = 0;
    int32_t channels = 1;
    std::vector<MidiEvent> events;
    uint32_t last_event_time = 0;
};

uint32_t last_time(const std::vector<MidiEvent>& events)
{
    return events.empty() ? 0 : static_cast<uint32_t>(events.back().time);
}

// Format 0: one track; the resolution from its first tempo event, events after it.
std::optional<SmfContents> read_format0(ByteSpan file)
{
    const int32_t length = read_i32(file, FILE_HEADER_BYTES + 4);
    if (length <= 0)
        return std::nullopt;
    const ByteSpan rest = file.subspan(FILE_HEADER_BYTES + TRACK_HEADER_BYTES);
    const ByteSpan data = rest.first(std::min<size_t>(static_cast<size_t>(length), rest.size()));

    size_t tempo_at = 0;  // without a tempo event the track's first three bytes stand for it
    size_t parse_from = 0;
    for (size_t p = 1; p + 2 < data.size(); ++p) {
        if (data[p] == 0x00 && data[p + 1] == 0xFF && data[p + 2] == 0x51) {
            tempo_at = p + 4;
            parse_from = p + 7;
            break;
        }
    }
    SmfContents contents;
    contents.time_unit = time_unit_for_tempo(tempo_at + 3 <= data.size() ? read_u24(data, tempo_at) : 0);
    contents.capacity = static_cast<int32_t>(data.size() / 4);
    TrackEvents track;
    if (parse_from < data.size())
        parse_track(data, parse_from, track);
    contents.channels = std::max(1, track.channels);
    contents.last_event_time = last_time(track.events);
    contents.events = std::move(track.events);
    return contents;
}

// One track of the format-1 layout at offset: its data without the leading 16 bytes and
// the end-of-track event. Moves offset past the track as its header gives the length.
std::optional<TrackEvents> read_format1_track(ByteSpan file, size_t& offset)
{
    if (offset > file.size() || file.size() - offset < TRACK_HEADER_BYTES)
        return std::nullopt;
    const int32_t length = read_i32(file, offset + 4);
    if (length <= 0)
        return std::nullopt;
    const ByteSpan rest = file.subspan(offset + TRACK_HEADER_BYTES);
    const size_t parsed_end = std::min<size_t>(static_cast<size_t>(length) >= TRACK_SKIP_AFTER
                                                   ? static_cast<size_t>(length) - TRACK_SKIP_AFTER : 0,
                                               rest.size());
    TrackEvents track;
    if (parsed_end > TRACK_SKIP_BEFORE)
        parse_track(rest.first(parsed_end), TRACK_SKIP_BEFORE, track);
    offset += TRACK_HEADER_BYTES + static_cast<size_t>(length);
    return track;
}

// Merges two tracks by time, the first track's event first at equal times.
std::vector<MidiEvent> merge_by_time(const std::vector<MidiEvent>& a, const std::vector<MidiEvent>& b)
{
    std::vector<MidiEvent> merged;
    merged.reserve(a.size() + b.size());
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (static_cast<uint32_t>(a[i].time) <= static_cast<uint32_t>(b[j].time))
            merged.push_back(a[i++]);
        else
            merged.push_back(b[j++]);
    }
    merged.insert(merged.end(), a.begin() + static_cast<std::ptrdiff_t>(i), a.end());
    merged.insert(merged.end(), b.begin() + static_cast<std::ptrdiff_t>(j), b.end());
    return merged;
}

// Format 1: a 19-byte conductor track with the tempo, then two tracks merged by time.
std::optional<SmfContents> read_format1(ByteSpan file)
{
    const size_t conductor = FILE_HEADER_BYTES + TRACK_HEADER_BYTES;
    if (file.size() < conductor + CONDUCTOR_BYTES)
        return std::nullopt;
    size_t offset = conductor + CONDUCTOR_BYTES;
    const std::optional<TrackEvents> first = read_format1_track(file, offset);
    if (!first)
        return std::nullopt;
    const std::optional<TrackEvents> second = read_format1_track(file, offset);
    if (!second)
        return std::nullopt;
    SmfContents contents;
    contents.time_unit = time_unit_for_tempo(read_u24(file, conductor + CONDUCTOR_TEMPO_OFFSET));
    contents.events = merge_by_time(first->events, second->events);
    contents.capacity = static_cast<int32_t>(contents.events.size());
    contents.channels = std::max({2, first->channels, second->channels});
    contents.last_event_time = last_time(second->events);
    return contents;
}

void leave_list_empty()
{
    MidiEventList& list = midi_event_list;
    clear_event_list();
    list.channels_used = 1;
    list.last_event_time = 0;
    list.duration_ms = 0;
}

} // namespace

int32_t read_smf(const char* path)
{
    const std::optional<std::vector<uint8_t>> file = read_file_bytes(path);
    if (!file)
        return -1;
    MidiEventList& list = midi_event_list;
    list.source_name = path;
    leave_list_empty();
    const ByteSpan bytes(*file);
    if (bytes.size() < FILE_HEADER_BYTES + TRACK_HEADER_BYTES)
        return -1;

    const bool format1 = bytes[9] == 1;
    const std::optional<SmfContents> contents = format1 ? read_format1(bytes) : read_format0(bytes);
    if (!contents)
        return -1;

    create_event_list(std::max(contents->capacity, static_cast<int32_t>(contents->events.size())));
    for (const MidiEvent& e : contents->events)
        append_event(e);
    list.channels_used = contents->channels;
    conversion_settings.TIME_UNIT = contents->time_unit;
    list.last_event_time = contents->last_event_time;
    list.duration_ms = ticks_to_duration_ms(list.last_event_time);
    return count_polyphony();
}
