#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using midifile_test::hex;
using midifile_test::representative_events;
using midifile_test::set_representative_settings;
using test::event;
using test::load_events;

namespace {

constexpr size_t VARIABLE_PART_START = 14 + 8 + 10 + 8 + 7;

struct Written {
    int32_t result = 0;
    std::vector<uint8_t> bytes;
    // The variable part in hex: set-up, list events, final interval (without FF 2F 00).
    std::string variable() const
    {
        if (bytes.size() < VARIABLE_PART_START + 3)
            return "(short file)";
        return hex(bytes, VARIABLE_PART_START, bytes.size() - VARIABLE_PART_START - 3);
    }
};

Written write(const test::TempDir& dir)
{
    const std::string path = dir.file("out.mid");
    Written w;
    w.result = write_smf(path.c_str());
    w.bytes = test::read_bytes(path);
    return w;
}

const char* DEFAULT_SETUP = "00 B0 00 00 00 20 00 00 C0 00 00 B0 07 7F 00 E0 00 40 00 B0 0B 7F";

} // namespace

TEST(SmfWriter, OneNoteFileByteForByte)
{
    test::reset_engine_state();
    test::TempDir dir;
    load_events({event(0, 0x90, 69, 100), event(1536, 0x80, 69, 0)});
    const Written w = write(dir);
    EXPECT_EQ(w.result, 33);
    EXPECT_EQ(hex(w.bytes),
              "4D 54 68 64 00 00 00 06 00 00 00 01 01 80 "
              "4D 54 72 6B 00 00 00 3D "
              "00 FF 03 06 C4 D7 AF B8 20 31 "
              "00 FF 58 04 04 02 18 08 "
              "00 FF 51 03 03 D0 90 " +
                  std::string(DEFAULT_SETUP) +
                  " 00 90 45 64 8C 00 80 45 00 8C 00 FF 2F 00");
    EXPECT_EQ(midi_event_list.last_event_time, 1536u);
    EXPECT_EQ(midi_event_list.duration_ms, 1000u);
    EXPECT_EQ(midi_event_list.source_name, "");  // the SMF writer leaves it
}

TEST(SmfWriter, FinalIntervalReachesTheNextMultipleOf3072)
{
    const struct {
        int32_t off_time;
        const char* tail;  // the last list event, the final delta and the end of track
    } cases[] = {
        {3072, "80 3C 00 00"},
        {3073, "80 3C 00 97 7F"},
        {1, "80 3C 00 97 7F"},
        {6144, "80 3C 00 00"},
        {0, "80 3C 00 00"},
    };
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        load_events({event(0, 0x90, 60, 90), event(c.off_time, 0x80, 60, 0)});
        const std::string tail = std::string(c.tail) + " FF 2F 00";
        const std::string all = hex(write(dir).bytes);
        EXPECT_EQ(all.substr(all.size() - tail.size()), tail) << c.off_time;
    }
}

TEST(SmfWriter, DeltaTimesAreVariableLengthWithoutRunningStatus)
{
    test::reset_engine_state();
    test::TempDir dir;
    load_events({event(0, 0x90, 60, 90), event(0, 0x90, 64, 90), event(200, 0x80, 60, 0), event(20200, 0x80, 64, 0),
                 event(100, 0x90, 60, 1),      // earlier than the running time: delta 00
                 event(20327, 0x80, 60, 0),    // 127 ticks: one byte
                 event(20455, 0x90, 60, 5)});  // 128 ticks: two bytes
    const Written w = write(dir);
    EXPECT_EQ(w.variable(), std::string(DEFAULT_SETUP) +
                                " 00 90 3C 5A 00 90 40 5A 81 48 80 3C 00 81 9C 20 80 40 00"
                                " 00 90 3C 01 7F 80 3C 00 81 00 90 3C 05"
                                " 88 19");  // 20455 to 21504
    EXPECT_EQ(midi_event_list.last_event_time, 20455u);
    EXPECT_EQ(midi_event_list.duration_ms, 13317u);  // 20455 * 1000 / 1536
}

TEST(SmfWriter, SetUpFollowsProgramAndChannelsUsed)
{
    const struct {
        int32_t program;
        int32_t channels_used;
        const char* setup;
    } cases[] = {
        {0, 1, "00 E0 00 40 00 B0 0B 7F"},
        {-3, 2, "00 E0 00 40 00 B0 0B 7F 00 E1 00 40 00 B1 0B 7F"},
        {5, 3,
         "00 B0 00 01 00 20 02 00 C0 04 00 B0 07 64 "
         "00 B1 00 01 00 20 02 00 C1 04 00 B1 07 64 "
         "00 B2 00 01 00 20 02 00 C2 04 00 B2 07 64 "
         "00 E0 00 40 00 B0 0B 7F 00 E1 00 40 00 B1 0B 7F 00 E2 00 40 00 B2 0B 7F"},
        // A count outside the sixteen channels is held to what status bytes can name.
        {0, 0, "00 E0 00 40 00 B0 0B 7F"},
    };
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        midi_output_settings.PROGRAM = c.program;
        midi_output_settings.BANK1 = 1;
        midi_output_settings.BANK2 = 2;
        midi_output_settings.VOLUME = 100;
        load_events({event(0, 0x90, 60, 90), event(3072, 0x80, 60, 0)}, c.channels_used);
        const Written w = write(dir);
        EXPECT_EQ(w.variable(), std::string(c.setup) + " 00 90 3C 5A 98 00 80 3C 00 00") << c.program;
        EXPECT_EQ(w.result, static_cast<int32_t>((w.variable().size() + 1) / 3));
    }
}

TEST(SmfWriter, SeventeenChannelsStillGiveSixteenSetUps)
{
    test::reset_engine_state();
    test::TempDir dir;
    midi_output_settings.PROGRAM = 0;
    load_events({event(0, 0x9F, 60, 90)}, 17);
    const Written w = write(dir);
    EXPECT_EQ(w.result, 16 * 8 + 4 + 1);  // set-up, the event at 0, final delta 00
    EXPECT_EQ(hex(w.bytes, VARIABLE_PART_START + 15 * 8, 8), "00 EF 00 40 00 BF 0B 7F");
}

TEST(SmfWriter, TempoFromTimeUnit)
{
    const struct {
        int32_t time_unit;
        const char* tempo;
    } cases[] = {{1536, "03 D0 90"}, {1000, "05 DC 00"}, {384, "0F 42 40"}, {23, "FE C1 64"},
                 {384000000, "00 00 01"}, {48000, "00 1F 40"}};
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        conversion_settings.TIME_UNIT = c.time_unit;
        load_events({event(0, 0x90, 60, 90)});
        EXPECT_EQ(hex(write(dir).bytes, 14 + 8 + 10 + 8 + 4, 3), c.tempo) << c.time_unit;
    }
}

TEST(SmfWriter, RefusesWhatItCannotWrite)
{
    test::TempDir dir;
    const std::string path = dir.file("refused.mid");
    // TIME_UNIT 0 would divide by zero; above 384000000 the tempo would be 0.
    for (int32_t time_unit : {0, -1536, 384000001}) {
        test::reset_engine_state();
        conversion_settings.TIME_UNIT = time_unit;
        load_events({event(0, 0x90, 60, 90), event(10, 0x80, 60, 0)});
        midi_event_list.last_event_time = 5;
        EXPECT_EQ(write_smf(path.c_str()), -1) << time_unit;
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(midi_event_list.last_event_time, 5u);
    }
    test::reset_engine_state();
    EXPECT_EQ(write_smf(path.c_str()), -1);  // empty list
    EXPECT_FALSE(std::filesystem::exists(path));
    load_events({event(0, 0x90, 60, 90)});
    EXPECT_EQ(write_smf(dir.file("missing/dir/x.mid").c_str()), -1);
    if (std::filesystem::exists("/dev/full")) {  // accepts the open, then fails every write
        EXPECT_EQ(write_smf("/dev/full"), -1);
    }
}

TEST(SmfWriter, KeepsTheFileValidForOddEvents)
{
    test::reset_engine_state();
    test::TempDir dir;
    midi_output_settings.PROGRAM = 0;
    midi_output_settings.VOLUME = 300;
    load_events({event(0, 0x90, 200, 255),  // data bytes above 127 would read as status bytes
                 event(100, 0xC5, 3, 0),    // two-byte kinds and non-messages are not list kinds:
                 event(150, 0xF0, 3, 0),    // their intervals move on to the next event
                 event(300, 0x80, 60, 0)});
    EXPECT_EQ(write(dir).variable(), "00 E0 00 40 00 B0 0B 7F 00 90 7F 7F 82 2C 80 3C 00 95 54");
    EXPECT_EQ(midi_event_list.last_event_time, 300u);
}

TEST(SmfWriter, HugeIntervalsCrossEmptyTextEvents)
{
    test::reset_engine_state();
    test::TempDir dir;
    midi_output_settings.PROGRAM = 0;
    const int32_t late = 0x0FFFFFFF + 5;
    load_events({event(0, 0x90, 60, 90), event(late, 0x80, 60, 0), event(0x7FFFFFFF, 0x90, 61, 1)});
    const Written w = write(dir);
    const std::vector<std::string> lines = midifile_test::smf_event_lines(w.bytes);
    const std::string all = midifile_test::joined(lines);
    EXPECT_NE(all.find("tick " + std::to_string(late) + ": 80 3C 00"), std::string::npos) << all;
    EXPECT_NE(all.find("tick 2147483647: 90 3D 01"), std::string::npos) << all;
    EXPECT_NE(all.find("tick 2147484672: FF 2F 00"), std::string::npos) << all;  // 699051 * 3072
    EXPECT_EQ(midi_event_list.last_event_time, 0x7FFFFFFFu);
}

// tests/midi/data/smf_reference.mid was made by this test with TONAGRAM_REGENERATE=1 and
// checked by reading it with python3-mido and against the byte layout by hand.
TEST(SmfWriter, RepresentativeListMatchesTheReferenceFile)
{
    test::reset_engine_state();
    test::TempDir dir;
    set_representative_settings();
    load_events(representative_events(), 3);
    const std::string path = dir.file("representative.mid");
    ASSERT_GT(write_smf(path.c_str()), 0);
    const std::vector<uint8_t> written = test::read_bytes(path);
    const std::string reference_path = midifile_test::fixture("smf_reference.mid");
    const char* regenerate = std::getenv("TONAGRAM_REGENERATE");
    if (regenerate && std::string(regenerate) == "1") {
        test::write_bytes(reference_path, written);
        GTEST_SKIP() << "regenerated " << reference_path;
    }
    const std::vector<uint8_t> reference = test::read_bytes(reference_path);
    ASSERT_FALSE(reference.empty()) << "missing " << reference_path;
    EXPECT_TRUE(written == reference)
        << "written:\n" << midifile_test::joined(midifile_test::smf_event_lines(written))
        << "reference:\n" << midifile_test::joined(midifile_test::smf_event_lines(reference));
}
