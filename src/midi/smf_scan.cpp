#include "midi/smf_scan.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t CHUNK_HEADER_BYTES = 8;
constexpr size_t MIN_HEADER_LENGTH = 6;
constexpr int MAX_VARIABLE_LENGTH_BYTES = 4;
constexpr uint64_t TICK_LIMIT = uint64_t{1} << 62;  // far beyond any time a list can hold
constexpr uint16_t SMPTE_DIVISION_BIT = 0x8000;

uint32_t read_u16(SmfBytes data, size_t at)
{
    return (uint32_t{data[at]} << 8) | data[at + 1];
}

uint32_t read_u32(SmfBytes data, size_t at)
{
    return (read_u16(data, at) << 16) | read_u16(data, at + 2);
}

bool has_tag(SmfBytes data, size_t at, const char* tag)
{
    return std::memcmp(data.data() + at, tag, 4) == 0;
}

// A variable-length quantity at pos, at most four bytes, all of them inside data.
bool read_variable_length(SmfBytes data, size_t& pos, uint32_t& value, bool* long_value = nullptr)
{
    value = 0;
    for (int n = 0; n < MAX_VARIABLE_LENGTH_BYTES; ++n) {
        if (pos >= data.size())
            return false;
        const uint8_t byte = data[pos++];
        value = (value << 7) | (byte & 0x7Fu);
        if ((byte & 0x80) == 0) {
            if (long_value)
                *long_value = n > 0;
            return true;
        }
    }
    return false;
}

// Data bytes of a channel message; program change and channel pressure have one.
bool scan_channel_message(SmfBytes data, size_t& pos, SmfEvent& e)
{
    const int kind = e.status & 0xF0;
    const size_t count = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (data.size() - pos < count)
        return false;
    e.data1 = data[pos];
    e.data2 = count == 2 ? data[pos + 1] : 0;
    if (e.data1 >= 0x80 || e.data2 >= 0x80)
        return false;
    pos += count;
    return true;
}

// Length and data of a meta or system-exclusive event; pos is at its length.
bool skip_counted_data(SmfBytes data, size_t& pos, SmfEvent& e, uint32_t& length)
{
    if (!read_variable_length(data, pos, length, &e.long_length) || data.size() - pos < length)
        return false;
    pos += length;
    return true;
}

bool scan_meta(SmfBytes data, size_t& pos, SmfEvent& e)
{
    if (pos >= data.size())
        return false;
    e.data1 = data[pos++];
    uint32_t length = 0;
    if (!skip_counted_data(data, pos, e, length))
        return false;
    const size_t at = pos - length;
    if (e.data1 == SMF_META_TEMPO && length == 3)
        e.tempo = (uint32_t{data[at]} << 16) | (uint32_t{data[at + 1]} << 8) | data[at + 2];
    return true;
}

// One event at pos; running_status is the status a data byte continues (0 for none).
bool scan_event(SmfBytes data, size_t& pos, uint8_t& running_status, SmfEvent& e)
{
    e.delta_at = static_cast<uint32_t>(pos);
    uint32_t delta = 0;
    if (!read_variable_length(data, pos, delta) || pos >= data.size())
        return false;
    e.tick = std::min(e.tick + delta, TICK_LIMIT);
    e.message_at = static_cast<uint32_t>(pos);
    if (data[pos] < 0x80) {
        if (running_status == 0)
            return false;
        e.status = running_status;
        e.running_status = true;
    } else {
        e.status = data[pos++];
    }
    if (e.status < 0xF0) {
        running_status = e.status;
        return scan_channel_message(data, pos, e);
    }
    if (e.status == SMF_META)  // leaves running status as it was, as common readers do
        return scan_meta(data, pos, e);
    if (e.status == SMF_SYSEX || e.status == SMF_SYSEX_ESCAPE) {
        running_status = 0;
        uint32_t length = 0;
        return skip_counted_data(data, pos, e, length);
    }
    return false;  // other system messages have no place in a file
}

// Every event of a track up to its end-of-track event; bytes after that are not looked at.
bool scan_track(SmfTrack& track)
{
    size_t pos = 0;
    uint8_t running_status = 0;
    SmfEvent e;
    while (scan_event(track.data, pos, running_status, e)) {
        track.events.push_back(e);
        if (e.status == SMF_META && e.data1 == SMF_META_END_OF_TRACK)
            return true;
        e = SmfEvent{.tick = e.tick};
    }
    return false;
}

// Reads the chunks after the header until the header's track count of tracks is found;
// chunks of other kinds are passed over.
bool scan_tracks(SmfBytes file, SmfScan& scan)
{
    size_t at = CHUNK_HEADER_BYTES + scan.header_length;
    while (static_cast<int32_t>(scan.tracks.size()) < scan.track_count) {
        if (file.size() - at < CHUNK_HEADER_BYTES)
            return false;
        const uint32_t length = read_u32(file, at + 4);
        if (file.size() - at - CHUNK_HEADER_BYTES < length)
            return false;
        if (has_tag(file, at, "MTrk")) {
            SmfTrack track;
            track.chunk_at = at;
            track.data = file.subspan(at + CHUNK_HEADER_BYTES, length);
            if (!scan_track(track))
                return false;
            scan.tracks.push_back(std::move(track));
        }
        at += CHUNK_HEADER_BYTES + length;
    }
    return true;
}

} // namespace

SmfScan scan_smf_header(SmfBytes file)
{
    SmfScan scan;
    if (file.size() < CHUNK_HEADER_BYTES + MIN_HEADER_LENGTH || !has_tag(file, 0, "MThd"))
        return scan;
    const uint32_t length = read_u32(file, 4);
    if (length < MIN_HEADER_LENGTH || file.size() - CHUNK_HEADER_BYTES < length)
        return scan;
    scan.header_length = length;
    scan.format = static_cast<int32_t>(read_u16(file, 8));
    scan.track_count = static_cast<int32_t>(read_u16(file, 10));
    const uint32_t division = read_u16(file, 12);
    scan.division = static_cast<int32_t>(division);
    if (scan.format == 2)
        scan.result = SmfScanResult::Format2;
    else if (division & SMPTE_DIVISION_BIT)
        scan.result = SmfScanResult::SmpteDivision;
    else if (scan.format <= 1 && division > 0 && scan.track_count > 0 &&
             (scan.format == 1 || scan.track_count == 1))
        scan.result = SmfScanResult::WellFormed;
    return scan;
}

SmfScan scan_smf(SmfBytes file)
{
    SmfScan scan = scan_smf_header(file);
    if (scan.result == SmfScanResult::WellFormed && !scan_tracks(file, scan))
        scan.result = SmfScanResult::Malformed;
    return scan;
}
