#include "midi/smf_subset_reader.h"

#include <algorithm>
#include <limits>

#include "core/settings.h"
#include "midi/smf_writer.h"

namespace {

using ByteSpan = SmfBytes;

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

using SmfContents = SmfSubsetContents;

uint32_t last_time(const std::vector<MidiEvent>& events)
{
    return events.empty() ? 0 : static_cast<uint32_t>(events.back().time);
}

// The first position from 1 on where the bytes 00 FF 51 (a tempo event at delta 0) are;
// 0 for none.
size_t find_tempo_event(ByteSpan data)
{
    for (size_t p = 1; p + 2 < data.size(); ++p) {
        if (data[p] == 0x00 && data[p + 1] == 0xFF && data[p + 2] == SMF_META_TEMPO)
            return p;
    }
    return 0;
}

// Format 0: one track; the resolution from its first tempo event, events after it.
std::optional<SmfContents> read_format0(ByteSpan file)
{
    const int32_t length = read_i32(file, FILE_HEADER_BYTES + 4);
    if (length <= 0)
        return std::nullopt;
    const ByteSpan rest = file.subspan(FILE_HEADER_BYTES + TRACK_HEADER_BYTES);
    const ByteSpan data = rest.first(std::min<size_t>(static_cast<size_t>(length), rest.size()));

    // Without a tempo event the track's first three bytes stand for it.
    const size_t found = find_tempo_event(data);
    const size_t tempo_at = found > 0 ? found + 4 : 0;
    const size_t parse_from = found > 0 ? found + 7 : 0;
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

// Where the subset reading lands: its header offsets, 384 ticks per quarter note.
constexpr size_t CONDUCTOR_AT = FILE_HEADER_BYTES;
constexpr size_t FIRST_PARSED_TRACK_AT = FILE_HEADER_BYTES + TRACK_HEADER_BYTES + CONDUCTOR_BYTES;
constexpr uint8_t CONDUCTOR_PATTERN[][2] = {{0, 0x00}, {1, 0xFF}, {2, 0x58}, {3, 0x04}, {8, 0x00}, {9, 0xFF},
                                            {10, 0x51}, {11, 0x03}, {15, 0x00}, {16, 0xFF}, {17, 0x2F}, {18, 0x00}};

bool is_tempo(const SmfEvent& e)
{
    return e.status == SMF_META && e.data1 == SMF_META_TEMPO;
}

// The tempo the writer chooses for the resolution the subset reading derives from it.
bool is_written_tempo(uint32_t tempo)
{
    const uint32_t full = static_cast<uint32_t>(SMF_TICKS_PER_QUARTER) * 1000000u;
    return tempo > 0 && full / (full / tempo) == tempo;
}

// Whether the subset reading takes the bank select at i as six bytes, and whether it is right.
bool bank_select_read_right(const SmfTrack& track, size_t i)
{
    const SmfEvent& e = track.events[i];
    const size_t low_at = size_t{e.message_at} + 4;
    if ((e.status & 0xF0) != MIDI_CONTROL_CHANGE || e.data1 != 0 || low_at >= track.data.size() ||
        track.data[low_at] != 0x20)
        return true;
    const SmfEvent& next = track.events[i + 1];  // the end-of-track event always follows
    return next.running_status && next.message_at == low_at;
}

// An event the subset reading reads as the format means it, the tempo excepted.
bool read_alike(const SmfTrack& track, size_t i)
{
    const SmfEvent& e = track.events[i];
    const int kind = e.status & 0xF0;
    if (e.long_length || e.status == SMF_SYSEX_ESCAPE || kind == 0xA0 || kind == 0xD0 || is_tempo(e))
        return false;
    if (e.running_status) {
        const SmfEvent& before = track.events[i - 1];
        return kind == MIDI_CONTROL_CHANGE && e.data1 == 0x20 && !before.running_status &&
               before.status == e.status && before.data1 == 0 && e.message_at == before.message_at + 4;
    }
    return bank_select_read_right(track, i);
}

bool all_read_alike(const SmfTrack& track, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i) {
        if (!read_alike(track, i))
            return false;
    }
    return true;
}

// The track's last bytes are FF 2F 00. The format-1 layout stops 4 bytes before the end: a
// longer delta of that event is then read in part and ends the parse, storing nothing.
bool ends_with_end_of_track(const SmfTrack& track)
{
    const SmfEvent& last = track.events.back();
    const size_t size = track.data.size();
    return last.message_at + size_t{3} == size && track.data[size - 1] == 0;
}

// The one track: meta events at tick 0 up to its only tempo, which the byte search finds.
bool format0_read_alike(const SmfScan& scan)
{
    const SmfTrack& track = scan.tracks[0];
    if (track.chunk_at != FILE_HEADER_BYTES || !ends_with_end_of_track(track))
        return false;
    const auto tempo = std::find_if(track.events.begin(), track.events.end(), is_tempo);
    if (tempo == track.events.end() || tempo->tick != 0 || !is_written_tempo(tempo->tempo) ||
        tempo->message_at != tempo->delta_at + 1 || find_tempo_event(track.data) != tempo->delta_at)
        return false;
    const size_t tempo_index = static_cast<size_t>(tempo - track.events.begin());
    for (size_t i = 0; i < tempo_index; ++i) {
        if (track.events[i].status != SMF_META)
            return false;
    }
    return all_read_alike(track, tempo_index + 1, track.events.size() - 1);
}

// A parsed track of the format-1 layout: meta events at tick 0 fill its first 16 bytes.
bool format1_track_read_alike(const SmfTrack& track)
{
    if (!ends_with_end_of_track(track))
        return false;
    size_t first = 0;
    while (first < track.events.size() && track.events[first].delta_at < TRACK_SKIP_BEFORE) {
        const SmfEvent& e = track.events[first++];
        if (e.status != SMF_META || e.tick != 0 || is_tempo(e))
            return false;
    }
    if (first == track.events.size() || track.events[first].delta_at != TRACK_SKIP_BEFORE)
        return false;
    return all_read_alike(track, first, track.events.size() - 1);
}

bool format1_read_alike(const SmfScan& scan, SmfBytes conductor)
{
    if (scan.track_count != 3 || scan.tracks[0].chunk_at != CONDUCTOR_AT || conductor.size() != CONDUCTOR_BYTES ||
        scan.tracks[1].chunk_at != FIRST_PARSED_TRACK_AT ||
        scan.tracks[2].chunk_at != FIRST_PARSED_TRACK_AT + TRACK_HEADER_BYTES + scan.tracks[1].data.size())
        return false;
    for (const auto& [at, byte] : CONDUCTOR_PATTERN) {
        if (conductor[at] != byte)
            return false;
    }
    return is_written_tempo(read_u24(conductor, CONDUCTOR_TEMPO_OFFSET)) &&
           format1_track_read_alike(scan.tracks[1]) && format1_track_read_alike(scan.tracks[2]);
}

} // namespace

bool is_in_written_subset(const SmfScan& scan)
{
    if (scan.result != SmfScanResult::WellFormed || scan.division != SMF_TICKS_PER_QUARTER ||
        scan.header_length != FILE_HEADER_BYTES - TRACK_HEADER_BYTES)
        return false;
    if (scan.format == 0)
        return format0_read_alike(scan);
    return format1_read_alike(scan, scan.tracks[0].data);
}

std::optional<SmfSubsetContents> read_smf_subset(SmfBytes file)
{
    return file[9] == 1 ? read_format1(file) : read_format0(file);
}
