// Shared by the text MIDI and SMF file tests: fixtures, describing bytes and lines, the
// representative list, and an SMF walker of the tests' own that shows a file one event per line.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace midifile_test {

// A file of tests/midi/data.
inline std::string fixture(const std::string& name)
{
    return std::string(TONAGRAM_SOURCE_DIR) + "/tests/midi/data/" + name;
}

// The event as the text form carries it back: every controller as expression (11), a
// note-on of velocity 0 as a note-off, and note-offs without velocity.
inline MidiEvent as_in_text_form(MidiEvent e)
{
    if ((e.status & 0xF0) == 0xB0)
        e.data1 = 11;
    if ((e.status & 0xF0) == 0x90 && e.data2 == 0)
        e.status = static_cast<uint8_t>(0x80 | (e.status & 0x0F));
    if ((e.status & 0xF0) == 0x80)
        e.data2 = 0;
    return e;
}

inline std::string hex(const std::vector<uint8_t>& bytes, size_t from = 0, size_t count = SIZE_MAX)
{
    std::string out;
    for (size_t i = from; i < bytes.size() && i - from < count; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X", bytes[i]);
        if (!out.empty())
            out += ' ';
        out += b;
    }
    return out;
}

inline std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Every chunk and event of an SMF, one line each ("track 0 tick 384: 90 45 64"), with
// running status resolved; stops with a note at anything it cannot walk.
inline std::vector<std::string> smf_event_lines(const std::vector<uint8_t>& b)
{
    std::vector<std::string> out;
    size_t pos = 14;
    if (b.size() < 14) {
        out.push_back("short file: " + hex(b));
        return out;
    }
    out.push_back("header " + hex(b, 0, 14));
    for (int track = 0; pos + 8 <= b.size(); ++track) {
        const size_t length = (size_t{b[pos + 4]} << 24) | (size_t{b[pos + 5]} << 16) |
                              (size_t{b[pos + 6]} << 8) | b[pos + 7];
        out.push_back("chunk " + hex(b, pos, 4) + " length " + std::to_string(length));
        const size_t end = std::min(b.size(), pos + 8 + length);
        size_t p = pos + 8;
        uint64_t tick = 0;
        uint8_t running = 0;
        while (p < end) {
            uint64_t delta = 0;
            uint8_t byte = 0;
            do {
                byte = b[p++];
                delta = (delta << 7) | (byte & 0x7F);
            } while ((byte & 0x80) && p < end);
            tick += delta;
            if (p >= end)
                break;
            size_t start = p;
            size_t size = 0;
            if (b[p] == 0xFF && p + 2 < end) {
                size = 3 + b[p + 2];
            } else if (b[p] == 0xF0 && p + 1 < end) {
                size = 2 + b[p + 1];
            } else {
                uint8_t status = b[p];
                if (status < 0x80) {
                    status = running;
                    size = 0;
                } else {
                    running = status;
                    size = 1;
                }
                size += ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            }
            out.push_back("track " + std::to_string(track) + " tick " + std::to_string(tick) + ": " +
                          hex(b, start, size));
            p = start + size;
        }
        pos += 8 + length;
    }
    return out;
}

inline std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// The representative list of the reference file and of the independent-reader tests:
// three channels, bends, expression, an out-of-order note-off and a 20000-tick gap.
inline std::vector<MidiEvent> representative_events()
{
    using test::event;
    return {event(0, 0x90, 60, 100), event(0, 0x91, 64, 90, 1), event(0, 0xE1, 0x00, 0x48),
            event(200, 0xB1, 11, 100), event(384, 0xE1, 0x00, 0x40), event(768, 0x80, 60, 0),
            event(700, 0x81, 64, 0, 1), event(20768, 0x92, 67, 80, 2), event(20968, 0x82, 67, 0, 2)};
}

inline void set_representative_settings()
{
    midi_output_settings.PROGRAM = 5;
    midi_output_settings.BANK1 = 1;
    midi_output_settings.BANK2 = 2;
    midi_output_settings.VOLUME = 100;
    conversion_settings.TIME_UNIT = 1536;
}

// Reads the bytes as an SMF through a file in dir; returns what read_smf returns.
inline int32_t read_smf_bytes(const test::TempDir& dir, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.file("in.mid");
    test::write_bytes(path, bytes);
    return read_smf(path.c_str());
}

inline bool python_mido_available()
{
    return test::run_command("/usr/bin/python3 -c 'import mido'").exit_status == 0;
}

} // namespace midifile_test
