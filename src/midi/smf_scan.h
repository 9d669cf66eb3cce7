// Walks a Standard MIDI File chunk by chunk and event by event, as the format defines it:
// running status, variable-length meta and system-exclusive lengths, unknown chunks passed
// over. Says whether the file is well formed; it never reads beyond the bytes it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using SmfBytes = std::span<const uint8_t>;

inline constexpr uint8_t SMF_META = 0xFF;
inline constexpr uint8_t SMF_SYSEX = 0xF0;
inline constexpr uint8_t SMF_SYSEX_ESCAPE = 0xF7;
inline constexpr uint8_t SMF_META_TEMPO = 0x51;
inline constexpr uint8_t SMF_META_END_OF_TRACK = 0x2F;

// One event of a track. Channel messages carry their status even when the file left it to
// running status; meta events carry their type in data1.
// Kept small: a track holds one per event, and an event can take two bytes of the file.
struct SmfEvent {
    uint64_t tick = 0;            // absolute, from the track's start (held below 2^62)
    uint32_t delta_at = 0;        // offset of the delta time in the track data
    uint32_t message_at = 0;      // offset of the status byte, or of the first data byte
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    bool running_status = false;  // the status byte was left out
    bool long_length = false;     // a meta or system-exclusive length of two bytes or more
    uint32_t tempo = 0;           // microseconds per quarter note of a three-byte tempo event
};

struct SmfTrack {
    size_t chunk_at = 0;  // offset of the chunk's "MTrk" in the file
    SmfBytes data;        // the chunk's data
    std::vector<SmfEvent> events;  // up to and with the end-of-track event
};

enum class SmfScanResult {
    WellFormed,
    Malformed,      // anything the format does not allow, or cut short
    SmpteDivision,  // frames per second instead of ticks per quarter note
    Format2,        // independent sequences, not one piece
};

struct SmfScan {
    SmfScanResult result = SmfScanResult::Malformed;
    int32_t format = 0;
    int32_t track_count = 0;
    int32_t division = 0;          // ticks per quarter note
    size_t header_length = 0;
    std::vector<SmfTrack> tracks;  // the header's track count of them when well formed
};

// The header alone: SMPTE division and format 2 are told apart from other files whose
// header is sound; the tracks are not looked at.
SmfScan scan_smf_header(SmfBytes file);

// The header and every track.
SmfScan scan_smf(SmfBytes file);
