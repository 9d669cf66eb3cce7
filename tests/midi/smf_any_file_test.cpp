// Standard MIDI Files from other software: python3-mido writes files of every kind (format
// 0 and 1, many tracks, any division, tempo changes anywhere, running status, long meta and
// system-exclusive events) and says when each note starts and ends; our reader must agree
// to within one tick. Hand-made bytes pin down the rules without mido.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/smf_scan.h"
#include "midi/smf_sequence.h"
#include "midi/smf_subset_reader.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_reader.h"
#include "midi/text_midi_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using midifile_test::lines_of;
using test::describe_all;
using test::describe_list;
using test::event;
using test::load_events;

namespace {

using Bytes = std::vector<uint8_t>;

// Writes the files named below into argv[1] with mido.
constexpr const char* MIDO_WRITE = R"(
import os, sys, mido
from mido import Message as M, MetaMessage as Meta
out = sys.argv[1]

def notes(channel, start, pitches, length, gap, velocity=90, off_as_zero_on=False):
    # Absolute (tick, message) pairs of a run of notes.
    events, tick = [], start
    for p in pitches:
        events.append((tick, M('note_on', channel=channel, note=p, velocity=velocity)))
        end = M('note_on', channel=channel, note=p, velocity=0) if off_as_zero_on else \
              M('note_off', channel=channel, note=p, velocity=0)
        events.append((tick + length, end))
        tick += gap
    return events

def track(events, name=None):
    t = mido.MidiTrack()
    if name is not None:
        t.append(Meta('track_name', name=name, time=0))
    now = 0
    for tick, msg in sorted(events, key=lambda e: e[0]):
        t.append(msg.copy(time=tick - now))
        now = tick
    t.append(Meta('end_of_track', time=0))
    return t

def save(name, type, tpb, tracks):
    m = mido.MidiFile(type=type, ticks_per_beat=tpb)
    m.tracks.extend(tracks)
    m.save(os.path.join(out, name))

# Running status throughout, note-on velocity 0 as note-off, other kinds between the notes.
extra = [(0, M('program_change', channel=0, program=5)), (100, M('control_change', channel=0, control=7, value=90)),
         (130, M('control_change', channel=0, control=11, value=70)), (200, M('pitchwheel', channel=0, pitch=-2000)),
         (250, M('aftertouch', channel=0, value=30)), (260, M('polytouch', channel=9, note=38, value=20))]
save('format0_480.mid', 0, 480, [track(
    [(0, Meta('set_tempo', tempo=500000))] + notes(0, 0, [60, 62, 64, 65], 400, 480, off_as_zero_on=True) +
    notes(9, 240, [36, 38, 42], 120, 480, velocity=127, off_as_zero_on=True) + extra, name='piano')])
# No tempo at all: 120 quarter notes a minute.
save('format0_no_tempo.mid', 0, 120, [track(notes(3, 10, [50, 52, 55, 57, 59], 100, 70))])
# A conductor with tempo changes, some of them while notes sound, and three note tracks.
save('format1_tempo_changes.mid', 1, 96, [
    track([(0, Meta('set_tempo', tempo=600000)), (0, Meta('time_signature', numerator=3, denominator=4)),
           (150, Meta('set_tempo', tempo=400000)), (500, Meta('set_tempo', tempo=1000000)),
           (777, Meta('set_tempo', tempo=123457))], name='conductor'),
    track(notes(1, 0, [60, 64, 67, 72, 76], 130, 170)),
    track(notes(2, 50, [40, 43, 47], 300, 250, off_as_zero_on=True)),
    track(notes(15, 150, [80, 81, 82, 83, 84, 85], 35, 100))])
# A tempo change in a note track, at tick 0 before its notes, and one later.
save('format1_tempo_in_note_track.mid', 1, 384, [
    track([], name='empty conductor'),
    track([(0, Meta('set_tempo', tempo=300000))] + notes(0, 0, [60, 61, 62, 63], 200, 300) +
          [(700, Meta('set_tempo', tempo=750000))])])
# Division 384 with one tempo the writer would never choose (not a whole resolution).
save('format0_384_odd_tempo.mid', 0, 384, [track(
    [(0, Meta('set_tempo', tempo=0xFFFFFF))] + notes(0, 0, [60, 62, 64], 300, 1000), name='odd')])
# Division 384, a second tempo: outside the subset the program writes.
save('format0_384_two_tempos.mid', 0, 384, [track(
    [(0, Meta('set_tempo', tempo=500000)), (768, Meta('set_tempo', tempo=250000))] +
    notes(0, 0, [60, 62, 64, 65, 67], 300, 384))])
# Meta and system-exclusive events with lengths of two bytes between the notes.
save('long_meta_and_sysex.mid', 0, 240, [track(
    [(0, Meta('set_tempo', tempo=480000)), (10, Meta('text', text='x' * 300)),
     (20, M('sysex', data=[i % 128 for i in range(200)])), (400, Meta('lyrics', text='y' * 130))] +
    notes(4, 0, [70, 71, 72, 73], 150, 200))])
# Extreme divisions.
save('division_1.mid', 0, 1, [track([(0, Meta('set_tempo', tempo=1000000))] + notes(0, 0, [60, 64], 1, 2))])
save('division_32767.mid', 0, 32767, [track([(0, Meta('set_tempo', tempo=499999))] +
                                            notes(0, 0, [60, 64, 67], 20000, 40000))])
# Seventeen tracks, all sixteen channels, notes on every track at the same ticks.
save('format1_17_tracks.mid', 1, 960, [track([(0, Meta('set_tempo', tempo=470000))])] +
     [track(notes(c, 0, [40 + c, 60 + c], 700, 960 + c)) for c in range(16)])
)";

// Prints every note, bend and expression message as mido plays the file, with its time in
// seconds ("on 0 60 90 0.5").
constexpr const char* MIDO_PLAY = R"(
import sys, mido
now = 0.0
for msg in mido.MidiFile(sys.argv[1]):
    now += msg.time
    if msg.type == 'note_on' and msg.velocity > 0:
        print('on', msg.channel, msg.note, msg.velocity, repr(now))
    elif msg.type in ('note_on', 'note_off'):
        print('off', msg.channel, msg.note, 0, repr(now))
    elif msg.type == 'pitchwheel':
        print('bend', msg.channel, msg.pitch, 0, repr(now))
    elif msg.type == 'control_change' and msg.control == 11:
        print('expression', msg.channel, msg.value, 0, repr(now))
)";

struct Played {
    std::string kind;
    int channel = 0;
    int value1 = 0;
    int value2 = 0;
    double seconds = 0;
};

std::vector<Played> mido_played(const test::TempDir& dir, const std::string& midi)
{
    const std::string script = dir.file("play.py");
    test::write_text(script, MIDO_PLAY);
    const test::CommandResult r = test::run_command("/usr/bin/python3 " + script + " " + midi);
    EXPECT_EQ(r.exit_status, 0) << r.output;
    std::vector<Played> out;
    for (const std::string& line : lines_of(r.output)) {
        std::istringstream in(line);
        Played p;
        in >> p.kind >> p.channel >> p.value1 >> p.value2 >> p.seconds;
        out.push_back(p);
    }
    return out;
}

// The loaded list in the same terms.
std::vector<Played> list_played()
{
    std::vector<Played> out;
    const double time_unit = conversion_settings.TIME_UNIT;
    for (const MidiEvent& e : test::list_events()) {
        Played p;
        p.channel = e.status & 0x0F;
        p.seconds = e.time / time_unit;
        switch (e.status & 0xF0) {
        case 0x90:
            p = {e.data2 > 0 ? "on" : "off", p.channel, e.data1, e.data2, p.seconds};
            break;
        case 0x80:
            p = {"off", p.channel, e.data1, 0, p.seconds};
            break;
        case 0xE0:
            p = {"bend", p.channel, e.data1 + e.data2 * 128 - 8192, 0, p.seconds};
            break;
        default:
            p = {"expression", p.channel, e.data2, 0, p.seconds};
        }
        out.push_back(p);
    }
    return out;
}

// Same messages in the same order, every time within one tick of the list's resolution.
void expect_same_playing(const std::vector<Played>& mido, const std::vector<Played>& ours, const std::string& what)
{
    const double tick = 1.0 / conversion_settings.TIME_UNIT;
    ASSERT_EQ(ours.size(), mido.size()) << what;
    for (size_t i = 0; i < mido.size(); ++i) {
        const Played& m = mido[i];
        const Played& o = ours[i];
        const std::string at = what + " message " + std::to_string(i);
        EXPECT_EQ(o.kind + " " + std::to_string(o.channel) + " " + std::to_string(o.value1) + " " +
                      std::to_string(o.value2),
                  m.kind + " " + std::to_string(m.channel) + " " + std::to_string(m.value1) + " " +
                      std::to_string(m.value2))
            << at;
        EXPECT_LE(std::abs(o.seconds - m.seconds), tick + 1e-9) << at << ": " << o.seconds << " vs " << m.seconds;
    }
}

// A format-0 header (or another format and division) and the given tracks, each given
// without its chunk header.
Bytes smf_file(const std::vector<Bytes>& tracks, uint16_t format = 0, uint16_t division = 96)
{
    const uint16_t count = static_cast<uint16_t>(tracks.size());
    Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, static_cast<uint8_t>(format >> 8), static_cast<uint8_t>(format),
               static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count), static_cast<uint8_t>(division >> 8),
               static_cast<uint8_t>(division)};
    for (const Bytes& t : tracks) {
        const uint32_t l = static_cast<uint32_t>(t.size());
        b.insert(b.end(), {'M', 'T', 'r', 'k', static_cast<uint8_t>(l >> 24), static_cast<uint8_t>(l >> 16),
                           static_cast<uint8_t>(l >> 8), static_cast<uint8_t>(l)});
        b.insert(b.end(), t.begin(), t.end());
    }
    return b;
}

// The track chunks of a file, without its header chunk.
Bytes chunks_of(const Bytes& file)
{
    return Bytes(file.begin() + 14, file.end());
}

Bytes with_end(Bytes track)
{
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    return track;
}

Bytes repeated(uint8_t byte, size_t count)
{
    return Bytes(count, byte);
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

TEST(SmfAnyFile, ReadsEveryKindAsMidoPlaysIt)
{
    if (!midifile_test::python_mido_available())
        GTEST_SKIP() << "python3-mido is not installed (scripts/setup.sh installs it)";
    test::TempDir dir;
    const std::string script = dir.file("write.py");
    test::write_text(script, MIDO_WRITE);
    const test::CommandResult r = test::run_command("/usr/bin/python3 " + script + " " + dir.path().string());
    ASSERT_EQ(r.exit_status, 0) << r.output;
    // The resolution each file is read at: its own where one tempo gives a whole number of
    // ticks per second, else the converted one.
    const struct {
        const char* name;
        int32_t time_unit;
        int32_t channels;
    } cases[] = {
        {"format0_480.mid", 960, 10},
        {"format0_no_tempo.mid", 240, 4},
        {"format1_tempo_changes.mid", SMF_CONVERTED_TIME_UNIT, 16},
        {"format1_tempo_in_note_track.mid", SMF_CONVERTED_TIME_UNIT, 1},
        {"format0_384_odd_tempo.mid", SMF_CONVERTED_TIME_UNIT, 1},
        {"format0_384_two_tempos.mid", SMF_CONVERTED_TIME_UNIT, 1},
        {"long_meta_and_sysex.mid", 500, 5},
        {"division_1.mid", 1, 1},
        {"division_32767.mid", SMF_CONVERTED_TIME_UNIT, 1},
        {"format1_17_tracks.mid", SMF_CONVERTED_TIME_UNIT, 16},
    };
    for (const auto& c : cases) {
        test::reset_engine_state();
        const std::string path = dir.file(c.name);
        ASSERT_GE(read_smf(path.c_str()), 0) << c.name;
        EXPECT_EQ(conversion_settings.TIME_UNIT, c.time_unit) << c.name;
        EXPECT_EQ(midi_event_list.channels_used, c.channels) << c.name;
        EXPECT_GT(midi_event_list.event_count, 0) << c.name;
        EXPECT_EQ(midi_event_list.last_event_time,
                  static_cast<uint32_t>(midi_event_list.events[static_cast<size_t>(midi_event_list.event_count - 1)].time))
            << c.name;
        expect_same_playing(mido_played(dir, path), list_played(), c.name);
    }
}

// t:1 to t:22 are written with fewer ticks per quarter note; a tick stays 1/TIME_UNIT second.
TEST(SmfAnyFile, CoarseResolutionsAreWrittenExactlyAndReadBack)
{
    const bool mido = midifile_test::python_mido_available();
    const std::vector<MidiEvent> events = {event(0, 0x90, 60, 100), event(1, 0x80, 60, 0), event(3, 0x91, 64, 90),
                                           event(3, 0xE1, 0x00, 0x30), event(17, 0xB1, 11, 64),
                                           event(40, 0x81, 64, 0), event(41, 0x90, 67, 80), event(1000, 0x80, 67, 0)};
    // (From 23 up the file is what it always was; 1000 and 1536 divide its tempo exactly.)
    for (int32_t time_unit : {1, 2, 3, 7, 10, 11, 13, 21, 22, 1000, 1536}) {
        const std::string what = "t:" + std::to_string(time_unit);
        test::reset_engine_state();
        test::TempDir dir;
        conversion_settings.TIME_UNIT = time_unit;
        load_events(events, 2);
        const std::string smf = dir.file("coarse.mid");
        const std::string text = dir.file("coarse.txt");
        ASSERT_GT(write_smf(smf.c_str()), 0) << what;
        ASSERT_GT(write_text_midi(text.c_str()), 0) << what;

        ASSERT_GE(read_text_midi(text.c_str()), 0) << what;
        const std::vector<Played> from_text = list_played();
        if (mido) {
            // Times in seconds exactly as the text file gives them (one tick is 1/t s).
            std::vector<Played> played = mido_played(dir, smf);
            std::vector<Played> text_notes;
            for (const Played& p : from_text) {
                if (p.kind == "on" || p.kind == "off")
                    text_notes.push_back(p);
            }
            std::erase_if(played, [](const Played& p) { return p.kind != "on" && p.kind != "off"; });
            ASSERT_EQ(played.size(), text_notes.size()) << what;
            for (size_t i = 0; i < played.size(); ++i)
                EXPECT_NEAR(played[i].seconds, text_notes[i].seconds, 1e-9) << what << " note event " << i;
        }
        conversion_settings.TIME_UNIT = 999;
        ASSERT_GE(read_smf(smf.c_str()), 0) << what;
        EXPECT_EQ(conversion_settings.TIME_UNIT, time_unit) << what;
        std::vector<MidiEvent> notes;
        for (const MidiEvent& e : test::list_events()) {
            if ((e.status & 0xF0) == 0x80 || (e.status & 0xF0) == 0x90)
                notes.push_back(e);
        }
        std::vector<MidiEvent> expected;
        for (MidiEvent e : events) {
            e.tag = 0;
            if ((e.status & 0xF0) == 0x80 || (e.status & 0xF0) == 0x90)
                expected.push_back(e);
        }
        EXPECT_EQ(describe_all(notes), describe_all(expected)) << what;
    }
}

TEST(SmfAnyFile, DivisionAndTempoOfTheCoarseResolutions)
{
    const struct {
        int32_t time_unit;
        int32_t division;
        uint32_t tempo;
    } cases[] = {{1, 16, 16000000}, {2, 33, 16500000}, {7, 112, 16000000}, {10, 167, 16700000},
                 {13, 208, 16000000}, {22, 363, 16500000}, {23, 384, 16695652}, {1536, 384, 250000},
                 {384000000, 384, 1}, {0, 0, 0}, {-5, 0, 0}, {384000001, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(smf_division(c.time_unit), c.division) << c.time_unit;
        EXPECT_EQ(smf_tempo(c.time_unit), c.tempo) << c.time_unit;
    }
    for (int32_t t = 1; t < SMF_FULL_DIVISION_TIME_UNIT; ++t) {
        const int64_t d = smf_division(t);
        EXPECT_EQ(d * 1000000 % t, 0) << t;  // a tick is exactly 1/t second
        EXPECT_LE(d * 1000000 / t, 0xFFFFFF) << t;
        EXPECT_GE(d, 16 * t) << t;
    }
    // The header, the tempo event and the end on the two-bar grid of the smaller division.
    test::reset_engine_state();
    test::TempDir dir;
    conversion_settings.TIME_UNIT = 10;
    midi_output_settings.PROGRAM = 0;
    load_events({event(0, 0x90, 60, 100), event(5, 0x80, 60, 0)});
    const std::string path = dir.file("t10.mid");
    ASSERT_GT(write_smf(path.c_str()), 0);
    const Bytes b = test::read_bytes(path);
    EXPECT_EQ(midifile_test::hex(b, 12, 2), "00 A7");                // 167 ticks per quarter note
    EXPECT_EQ(midifile_test::hex(b, 14 + 8 + 18 + 4, 3), "FE D2 60");  // 16700000 us
    EXPECT_EQ(midifile_test::hex(b, b.size() - 5, 5), "8A 33 FF 2F 00");  // 1331 ticks to 8 x 167
}

TEST(SmfAnyFile, SmpteAndFormat2AreRefusedWithAReason)
{
    const Bytes track = with_end({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00});
    const struct {
        const char* name;
        Bytes bytes;
        const char* english;
    } cases[] = {
        {"SMPTE 25 frames, 40 ticks", smf_file({track}, 0, 0xE728), "SMPTE"},
        {"SMPTE 30 frames in format 1", smf_file({track, track}, 1, 0xE250), "SMPTE"},
        {"format 2", smf_file({track, track}, 2, 96), "format 2"},
        {"format 2 with SMPTE", smf_file({track}, 2, 0xE728), "format 2"},
    };
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        load_events({event(0, 0x90, 60, 90), event(10, 0x80, 60, 0)});
        conversion_settings.TIME_UNIT = 999;
        EXPECT_EQ(midifile_test::read_smf_bytes(dir, c.bytes), -1) << c.name;
        ASSERT_NE(smf_read_problem(), nullptr) << c.name;
        EXPECT_NE(std::string(smf_read_problem()->english).find(c.english), std::string::npos) << c.name;
        EXPECT_NE(std::string(smf_read_problem()->japanese).find("対応していません"), std::string::npos) << c.name;
        // Like every failure after the file was opened: an empty list, the resolution kept.
        EXPECT_EQ(midi_event_list.event_count, 0) << c.name;
        EXPECT_EQ(conversion_settings.TIME_UNIT, 999) << c.name;
    }
    // Every failure has a reason; a success clears it.
    test::TempDir dir;
    EXPECT_EQ(read_smf(dir.file("missing.mid").c_str()), -1);
    ASSERT_NE(smf_read_problem(), nullptr);
    EXPECT_EQ(midifile_test::read_smf_bytes(dir, {}), -1);
    ASSERT_NE(smf_read_problem(), nullptr);
    EXPECT_GE(midifile_test::read_smf_bytes(dir, smf_file({track})), 0);
    EXPECT_EQ(smf_read_problem(), nullptr);
}

// Hand-made files outside the subset the program writes, read the way a sequencer plays them.
TEST(SmfAnyFile, ParsingTableOnHandMadeFiles)
{
    const Bytes long_text = concat({{0x00, 0xFF, 0x01, 0x81, 0x10}, repeated('a', 144)});  // 144 bytes, two-byte length
    const Bytes long_sysex = concat({{0x00, 0xF0, 0x82, 0x00}, repeated(0x11, 255), {0xF7}});  // 256 bytes
    const struct {
        const char* name;
        Bytes file;
        int32_t time_unit;
        std::vector<MidiEvent> events;
    } cases[] = {
        // 96 ticks per quarter note at the default 500000 us: 192 ticks per second, unscaled.
        {"running status, note-on velocity 0 ends the note",
         smf_file({with_end({0x00, 0x90, 0x3C, 0x40, 0x10, 0x3E, 0x50, 0x10, 0x3C, 0x00, 0x10, 0x3E, 0x00})}), 192,
         {event(0, 0x90, 60, 64), event(16, 0x90, 62, 80), event(32, 0x80, 60, 0), event(48, 0x80, 62, 0)}},
        {"running status carries over meta events, not over system exclusive",
         smf_file({with_end({0x00, 0x91, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x01, 0x61, 0x05, 0x3C, 0x00})}), 192,
         {event(0, 0x91, 60, 64), event(5, 0x81, 60, 0)}},
        {"two-byte meta and system-exclusive lengths are passed over",
         smf_file({with_end(concat({long_text, {0x05, 0x90, 0x40, 0x30}, long_sysex, {0x07, 0x80, 0x40, 0x00}}))}), 192,
         {event(5, 0x90, 64, 48), event(12, 0x80, 64, 0)}},
        {"escaped system exclusive, program, other controllers and aftertouch only take time",
         smf_file({with_end({0x00, 0xF7, 0x02, 0x7E, 0x7F, 0x03, 0xC2, 0x05, 0x04, 0xB2, 0x07, 0x60, 0x05, 0xA2, 0x3C,
                             0x10, 0x06, 0xD2, 0x20, 0x07, 0xB2, 0x0B, 0x50, 0x08, 0x92, 0x3C, 0x40})}),
         192, {event(25, 0xB2, 11, 80), event(33, 0x92, 60, 64)}},
        {"a tempo at tick 0 before the notes sets the resolution (96 ticks, 250000 us)",
         smf_file({with_end({0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00})}),
         384, {event(0, 0x90, 60, 64), event(96, 0x80, 60, 0)}},
        {"a tempo change converts to 1536 per second: 96 ticks at 0.5 s, then 96 at 0.25 s",
         smf_file({with_end({0x00, 0x90, 0x3C, 0x40, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0x80, 0x3C, 0x00,
                             0x60, 0x90, 0x3E, 0x40})}),
         1536, {event(0, 0x90, 60, 64), event(768, 0x80, 60, 0), event(1152, 0x90, 62, 64)}},
        {"tracks merge by tick, the earlier track first at equal ticks; tempo from any track",
         smf_file({with_end({0x00, 0x90, 0x3C, 0x40, 0x30, 0x80, 0x3C, 0x00}),
                   with_end({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x91, 0x40, 0x40, 0x30, 0x81, 0x40, 0x00}),
                   with_end({0x10, 0x9F, 0x43, 0x40, 0x40, 0x8F, 0x43, 0x00})},
                  1, 96),
         192,
         {event(0, 0x90, 60, 64), event(0, 0x91, 64, 64), event(16, 0x9F, 67, 64), event(48, 0x80, 60, 0),
          event(48, 0x81, 64, 0), event(80, 0x8F, 67, 0)}},
        {"an unknown chunk before the track is passed over",
         concat({{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, {'X', 'y', 'z', 'w', 0, 0, 0, 2, 0xAB, 0xCD},
                 chunks_of(smf_file({with_end({0x00, 0x90, 0x3C, 0x40})}))}),
         192, {event(0, 0x90, 60, 64)}},
        {"a longer header chunk is passed over",
         concat({{'M', 'T', 'h', 'd', 0, 0, 0, 8, 0, 0, 0, 1, 0, 96, 0xEE, 0xEE},
                 chunks_of(smf_file({with_end({0x00, 0x90, 0x3C, 0x40})}))}),
         192, {event(0, 0x90, 60, 64)}},
        {"a 120-tick division with one odd tempo converts", smf_file({with_end({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x1F,
                                                                                  0x00, 0x90, 0x3C, 0x40, 0x83, 0x60,
                                                                                  0x80, 0x3C, 0x00})},
                                                                      0, 120),
         1536, {event(0, 0x90, 60, 64), event(3072, 0x80, 60, 0)}},  // 1.999996 s
    };
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        EXPECT_GE(midifile_test::read_smf_bytes(dir, c.file), 0) << c.name;
        EXPECT_EQ(conversion_settings.TIME_UNIT, c.time_unit) << c.name;
        EXPECT_EQ(describe_list(), describe_all(c.events)) << c.name;
    }
}

// Which files keep the subset's reading: every file the writer makes and the fixtures of the
// subset; files that use what the subset reading cannot follow do not.
TEST(SmfAnyFile, TheSubsetIsWhatTheProgramWrites)
{
    test::TempDir dir;
    const auto in_subset = [](const Bytes& bytes) { return is_in_written_subset(scan_smf(bytes)); };
    for (int32_t time_unit : {23, 768, 1000, 1536, 1000003, 384000000}) {
        for (int32_t program : {0, 5}) {
            test::reset_engine_state();
            midifile_test::set_representative_settings();
            midi_output_settings.PROGRAM = program;
            conversion_settings.TIME_UNIT = time_unit;
            std::vector<MidiEvent> events = midifile_test::representative_events();
            events.push_back(event(0x7FFFFFF0, 0x90, 1, 1));  // a gap that needs a filler event
            load_events(events, 3);
            const std::string path = dir.file("w.mid");
            ASSERT_GT(write_smf(path.c_str()), 0);
            EXPECT_TRUE(in_subset(test::read_bytes(path))) << time_unit << " program " << program;
        }
    }
    for (const char* name : {"program_change.mid", "format1.mid", "smf_reference.mid"})
        EXPECT_TRUE(in_subset(test::read_bytes(midifile_test::fixture(name)))) << name;
    EXPECT_FALSE(in_subset(test::read_bytes(midifile_test::fixture("running_status.mid"))));

    const Bytes tempo_1536 = {0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90};
    const struct {
        const char* name;
        Bytes file;
    } outside[] = {
        {"another division", smf_file({with_end(concat({tempo_1536, {0x00, 0x90, 0x3C, 0x40}}))}, 0, 480)},
        {"no tempo", smf_file({with_end({0x00, 0x90, 0x3C, 0x40})}, 0, 384)},
        {"a tempo the writer never chooses (384000000 / 22)",
         smf_file({with_end({0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF, 0x00, 0x90, 0x3C, 0x40})}, 0, 384)},
        {"a second tempo", smf_file({with_end(concat({tempo_1536, {0x00, 0x90, 0x3C, 0x40}, tempo_1536}))}, 0, 384)},
        {"a note before the tempo", smf_file({with_end(concat({{0x00, 0x90, 0x3C, 0x40}, tempo_1536}))}, 0, 384)},
        {"a two-byte meta length",
         smf_file({with_end(concat({tempo_1536, {0x00, 0xFF, 0x01, 0x81, 0x00}, repeated('a', 128)}))}, 0, 384)},
        {"aftertouch", smf_file({with_end(concat({tempo_1536, {0x00, 0xA0, 0x3C, 0x40}}))}, 0, 384)},
        {"running status of notes", smf_file({with_end(concat({tempo_1536, {0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E, 0x40}}))}, 0, 384)},
        {"a bank select whose next delta ends in 0x20",
         smf_file({with_end(concat({tempo_1536, {0x00, 0xB0, 0x00, 0x01, 0x81, 0x20, 0x90, 0x3C, 0x40}}))}, 0, 384)},
        {"bytes after the end of the track",
         smf_file({concat({tempo_1536, {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00, 0x00}})}, 0, 384)},
    };
    for (const auto& c : outside)
        EXPECT_FALSE(in_subset(c.file)) << c.name;
}
