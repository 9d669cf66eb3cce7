// Our Standard MIDI Files as other software sees them: python3-mido parses them and
// FluidSynth plays one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

using midifile_test::lines_of;
using midifile_test::representative_events;
using midifile_test::set_representative_settings;
using test::event;
using test::load_events;

namespace {

constexpr const char* SOUNDFONT = "/usr/share/sounds/sf2/TimGM6mb.sf2";  // timgm6mb-soundfont

// Prints the file as mido reads it: one line per message with its absolute tick.
constexpr const char* MIDO_DUMP = R"(
import sys, mido
m = mido.MidiFile(sys.argv[1])
print('type', m.type, 'tracks', len(m.tracks), 'ticks_per_beat', m.ticks_per_beat)
print('length %.6f' % m.length)
tick = 0
for msg in m.tracks[0]:
    tick += msg.time
    if not msg.is_meta:
        print(tick, msg.hex().lower())
    elif msg.type == 'set_tempo':
        print(tick, 'set_tempo', msg.tempo)
    elif msg.type == 'time_signature':
        print(tick, 'time_signature', msg.numerator, msg.denominator, msg.clocks_per_click,
              msg.notated_32nd_notes_per_beat)
    else:
        print(tick, msg.type)
)";

std::vector<std::string> mido_dump(const test::TempDir& dir, const std::string& midi_path)
{
    const std::string script = dir.file("dump.py");
    test::write_text(script, MIDO_DUMP);
    const test::CommandResult r = test::run_command("/usr/bin/python3 " + script + " " + midi_path);
    EXPECT_EQ(r.exit_status, 0) << r.output;
    return lines_of(r.output);
}

std::string channel_line(int64_t tick, const std::vector<int>& bytes)
{
    std::string line = std::to_string(tick);
    for (size_t i = 0; i < bytes.size(); ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", bytes[i]);
        line += ' ';
        line += b;
    }
    return line;
}

// What mido must see for the current list and settings, derived from the list alone.
std::vector<std::string> expected_dump(int32_t tempo, const std::string& length)
{
    const MidiOutputSettings& s = midi_output_settings;
    std::vector<std::string> out = {"type 0 tracks 1 ticks_per_beat 384", "length " + length, "0 track_name",
                                    "0 time_signature 4 4 24 8", "0 set_tempo " + std::to_string(tempo)};
    const int channels = std::max(1, midi_event_list.channels_used);
    if (s.PROGRAM > 0) {
        for (int c = 0; c < channels; ++c) {
            out.push_back(channel_line(0, {0xB0 + c, 0, s.BANK1}));
            out.push_back(channel_line(0, {0xB0 + c, 0x20, s.BANK2}));
            out.push_back(channel_line(0, {0xC0 + c, s.PROGRAM - 1}));
            out.push_back(channel_line(0, {0xB0 + c, 7, s.VOLUME}));
        }
    }
    for (int c = 0; c < channels; ++c) {
        out.push_back(channel_line(0, {0xE0 + c, 0, 0x40}));
        out.push_back(channel_line(0, {0xB0 + c, 11, 127}));
    }
    int64_t running = 0;
    for (const MidiEvent& e : test::list_events()) {
        running = std::max<int64_t>(running, e.time);
        out.push_back(channel_line(running, {e.status, e.data1, e.data2}));
    }
    out.push_back(std::to_string((running + 3071) / 3072 * 3072) + " end_of_track");
    return out;
}

} // namespace

TEST(SmfIndependentReader, MidoSeesEveryEventTempoAndTick)
{
    if (!midifile_test::python_mido_available())
        GTEST_SKIP() << "python3-mido is not installed (scripts/setup.sh installs it)";
    const struct {
        int32_t time_unit;
        int32_t tempo;
        const char* length;  // seconds: 21504 ticks at TIME_UNIT
    } cases[] = {{1536, 250000, "14.000000"}, {1000, 384000, "21.504000"}, {48000, 8000, "0.448000"}};
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        set_representative_settings();
        conversion_settings.TIME_UNIT = c.time_unit;
        load_events(representative_events(), 3);
        const std::string path = dir.file("rep.mid");
        ASSERT_GT(write_smf(path.c_str()), 0);
        EXPECT_EQ(mido_dump(dir, path), expected_dump(c.tempo, c.length)) << c.time_unit;
    }
}

TEST(SmfIndependentReader, MidoSeesProgramZeroAndOneChannel)
{
    if (!midifile_test::python_mido_available())
        GTEST_SKIP() << "python3-mido is not installed (scripts/setup.sh installs it)";
    test::reset_engine_state();
    test::TempDir dir;
    midi_output_settings.PROGRAM = 0;
    load_events(
        {event(0, 0x90, 69, 100), event(3073, 0x80, 69, 0), event(3000, 0x90, 70, 1), event(23073, 0x80, 70, 0)});
    const std::string path = dir.file("one.mid");
    ASSERT_GT(write_smf(path.c_str()), 0);
    EXPECT_EQ(mido_dump(dir, path), expected_dump(250000, "16.000000"));  // 24576 ticks
}

TEST(SmfIndependentReader, FluidSynthRendersAudibleSound)
{
    if (test::run_command("command -v fluidsynth").exit_status != 0)
        GTEST_SKIP() << "fluidsynth is not installed (scripts/setup.sh installs it)";
    if (!std::filesystem::exists(SOUNDFONT))
        GTEST_SKIP() << SOUNDFONT << " is missing (package timgm6mb-soundfont, scripts/setup.sh)";
    test::reset_engine_state();
    test::TempDir dir;
    set_representative_settings();
    midi_output_settings.PROGRAM = 1;
    midi_output_settings.BANK1 = 0;
    midi_output_settings.BANK2 = 0;
    load_events({event(0, 0x90, 60, 110), event(0, 0x90, 64, 110), event(1536, 0x80, 60, 0), event(1536, 0x80, 64, 0)});
    const std::string midi = dir.file("render.mid");
    const std::string wav = dir.file("render.wav");
    ASSERT_GT(write_smf(midi.c_str()), 0);
    const test::CommandResult r = test::run_command("fluidsynth -ni -F " + wav + " -r 44100 " + SOUNDFONT + " " + midi);
    ASSERT_EQ(r.exit_status, 0) << r.output;
    ASSERT_GT(read_wave(wav.c_str()), 44100) << r.output;  // about two seconds were rendered
    int peak = 0;
    for (int16_t sample : wave_data.samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    EXPECT_GT(peak, 1000);
}
