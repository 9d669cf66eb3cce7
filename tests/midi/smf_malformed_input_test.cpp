// The SMF reader may not crash, hang or read out of bounds on any input; a failed read
// always leaves an empty list.
#include <gtest/gtest.h>

#include <random>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using midifile_test::representative_events;
using test::load_events;

namespace {

using Bytes = std::vector<uint8_t>;

// Reads bytes as an SMF and checks what any read must leave behind.
void check_smf_read(const std::string& path, const Bytes& bytes, const std::string& what)
{
    test::write_bytes(path, bytes);
    load_events({test::event(0, 0x90, 60, 90)});
    const int32_t result = read_smf(path.c_str());
    const MidiEventList& list = midi_event_list;
    if (result < 0) {
        ASSERT_EQ(result, -1) << what;
        ASSERT_EQ(list.event_count, 0) << what;
        return;
    }
    // The room allocated follows the bytes read, whatever lengths the file claims.
    ASSERT_LE(list.events.size(), bytes.size() / 4) << what;
    ASSERT_LE(static_cast<size_t>(list.event_count), list.events.size()) << what;
    ASSERT_GT(conversion_settings.TIME_UNIT, 0) << what;
    for (const MidiEvent& e : test::list_events()) {
        const int kind = e.status & 0xF0;
        ASSERT_TRUE(kind == 0x80 || kind == 0x90 || kind == 0xB0 || kind == 0xE0) << what;
        ASSERT_GE(e.time, 0) << what;
    }
}

Bytes written_smf(const test::TempDir& dir)
{
    midifile_test::set_representative_settings();
    load_events(representative_events(), 3);
    const std::string path = dir.file("valid.mid");
    EXPECT_GT(write_smf(path.c_str()), 0);
    return test::read_bytes(path);
}

} // namespace

TEST(SmfMalformedInput, EveryTruncationOfValidFiles)
{
    test::reset_engine_state();
    test::TempDir dir;
    std::vector<std::pair<std::string, Bytes>> files = {{"written", written_smf(dir)}};
    for (const char* name : {"running_status.mid", "program_change.mid", "format1.mid"})
        files.emplace_back(name, test::read_bytes(midifile_test::fixture(name)));
    const std::string path = dir.file("cut.mid");
    for (const auto& [name, bytes] : files) {
        ASSERT_FALSE(bytes.empty()) << name;
        for (size_t length = 0; length <= bytes.size(); ++length)
            check_smf_read(path, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)),
                           name + " cut at " + std::to_string(length));
    }
}

TEST(SmfMalformedInput, RandomBytesAndMutations)
{
    test::reset_engine_state();
    test::TempDir dir;
    const Bytes valid = written_smf(dir);
    const Bytes format1 = test::read_bytes(midifile_test::fixture("format1.mid"));
    std::mt19937 random(12345);
    const std::string path = dir.file("random.mid");
    for (int round = 0; round < 600; ++round) {
        Bytes bytes;
        switch (round % 3) {
        case 0:  // noise behind a plausible header
            bytes = Bytes(valid.begin(), valid.begin() + 22);
            bytes[9] = static_cast<uint8_t>(random() % 2);
            bytes.resize(22 + random() % 120);
            for (size_t i = 18; i < bytes.size(); ++i)
                bytes[i] = static_cast<uint8_t>(random());
            break;
        case 1:  // a valid file with a few bytes changed
            bytes = (round % 2) ? valid : format1;
            for (int k = 0; k < 4; ++k)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
            break;
        default:  // pure noise
            bytes.resize(random() % 80);
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(random());
        }
        check_smf_read(path, bytes, "round " + std::to_string(round));
    }
}

TEST(SmfMalformedInput, AbsurdLengthsAndCounts)
{
    test::reset_engine_state();
    test::TempDir dir;
    const Bytes valid = written_smf(dir);
    const std::string path = dir.file("absurd.mid");
    for (uint32_t length : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 1000000u, 1u, 2u, 3u, 4u}) {
        Bytes bytes = valid;
        bytes[18] = static_cast<uint8_t>(length >> 24);
        bytes[19] = static_cast<uint8_t>(length >> 16);
        bytes[20] = static_cast<uint8_t>(length >> 8);
        bytes[21] = static_cast<uint8_t>(length);
        check_smf_read(path, bytes, "track length " + std::to_string(length));
        bytes[9] = 1;  // and the same bytes as a format-1 file
        check_smf_read(path, bytes, "format 1, track length " + std::to_string(length));
    }
    // Meta and system-exclusive lengths of 255 near the end, track count 65535.
    Bytes tail = valid;
    tail[10] = tail[11] = 0xFF;
    tail.insert(tail.end() - 3, {0x00, 0xFF, 0x01, 0xFF, 0x00, 0xF0, 0xFF});
    check_smf_read(path, tail, "long meta near the end");
}

