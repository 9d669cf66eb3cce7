// Whole runs of the console converter on small synthetic recordings, checked with our own
// readers and with an independent one (python3-mido).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/text_midi_reader.h"
#include "signal/wav_synth.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace {

const std::string batch_exe = TONAGRAM_BATCH_EXE;

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine_state(); }
    void TearDown() override { test::reset_engine_state(); }

    test::CommandResult convert(const std::string& arguments)
    {
        return test::run_command("cd '" + dir.path().string() + "' && '" + exe + "' " + arguments);
    }
    // Runs a copy of the converter with a settings file beside it.
    void use_settings(const std::string& ini_text)
    {
        exe = dir.file("Tonagram_batch");
        std::filesystem::copy_file(batch_exe, exe);
        test::write_text(dir.file("Tonagram.ini"), ini_text);
    }
    void write_mono(const std::string& name, const std::vector<int16_t>& samples)
    {
        ASSERT_TRUE(synth::write_wav(dir.file(name), {}, samples));
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }

    test::TempDir dir;
    std::string exe = batch_exe;
};

// Total sounding ticks per note number of the loaded list.
std::map<int, int64_t> ticks_per_note()
{
    std::map<int, int64_t> total;
    std::map<std::pair<int, int>, int32_t> open;
    for (const MidiEvent& e : test::list_events()) {
        const auto key = std::make_pair(event_channel(e), static_cast<int>(e.data1));
        if (is_note_on(e) && e.data2 > 0) {
            open[key] = e.time;
        } else if (is_note_off(e) || is_note_on(e)) {
            auto it = open.find(key);
            if (it != open.end()) {
                total[e.data1] += e.time - it->second;
                open.erase(it);
            }
        }
    }
    return total;
}

// The notes of the loaded list ordered by how long they sound, longest first.
std::vector<int> strongest_notes(size_t count)
{
    auto total = ticks_per_note();
    std::vector<std::pair<int64_t, int>> ranked;
    for (auto [note, ticks] : total)
        ranked.emplace_back(ticks, note);
    std::sort(ranked.rbegin(), ranked.rend());
    std::vector<int> notes;
    for (size_t i = 0; i < ranked.size() && i < count; ++i)
        notes.push_back(ranked[i].second);
    std::sort(notes.begin(), notes.end());
    return notes;
}

TEST_F(EndToEnd, SineBecomesItsNoteInBothFiles)
{
    write_mono("sine.wav", synth::sine(440, 8000, 44100));
    test::CommandResult r = convert("sine");
    ASSERT_EQ(r.exit_status, 0) << r.output;
    EXPECT_NE(r.output.find("Now MIDI Conversion Start !\n"), std::string::npos);
    EXPECT_NE(r.output.find("Signal Processing Executing : 0 [%]\r"), std::string::npos);
    EXPECT_NE(r.output.find("TXT MIDI file is successfully created.\nSMF MIDI file is successfully created.\n"),
              std::string::npos) << r.output;
    ASSERT_TRUE(exists("sine.fft") && exists("sine.txt") && exists("sine.mid"));

    ASSERT_GT(read_text_midi(dir.file("sine.txt").c_str()), 0);
    EXPECT_EQ(strongest_notes(1), std::vector<int>{69});
    const std::vector<MidiEvent> from_text = test::list_events();
    const std::string count_line = "\nMIDI Event Data:" + std::to_string(from_text.size()) + " are created.\n";
    EXPECT_NE(r.output.find(count_line), std::string::npos) << r.output;

    // The SMF carries the same events behind one pitch-bend and one expression set-up event.
    ASSERT_GE(read_smf(dir.file("sine.mid").c_str()), 0);
    std::vector<MidiEvent> from_smf = test::list_events();
    ASSERT_EQ(from_smf.size(), from_text.size() + 2);
    from_smf.erase(from_smf.begin(), from_smf.begin() + 2);
    for (size_t i = 0; i < from_text.size(); ++i) {
        EXPECT_EQ(from_smf[i].time, from_text[i].time) << i;
        EXPECT_EQ(from_smf[i].status, from_text[i].status) << i;
        EXPECT_EQ(from_smf[i].data1, from_text[i].data1) << i;
        EXPECT_EQ(from_smf[i].data2, from_text[i].data2) << i;
    }
}

// The coarsest resolutions are written too (with fewer ticks per quarter note) and read
// back at the text file's times.
TEST_F(EndToEnd, CoarseResolutionsWriteBothFiles)
{
    write_mono("sine.wav", synth::sine(440, 8000, 44100));  // at 10 ticks a second half of it gives no note
    for (const char* resolution : {"10", "22"}) {
        const test::CommandResult r = convert(std::string("sine t:") + resolution);
        ASSERT_EQ(r.exit_status, 0) << r.output;
        EXPECT_NE(r.output.find("SMF MIDI file is successfully created.\n"), std::string::npos) << r.output;
        ASSERT_GT(read_text_midi(dir.file("sine.txt").c_str()), 0) << resolution;
        const std::vector<MidiEvent> from_text = test::list_events();
        ASSERT_GE(read_smf(dir.file("sine.mid").c_str()), 0) << resolution;
        EXPECT_EQ(conversion_settings.TIME_UNIT, std::stoi(resolution));
        std::vector<MidiEvent> from_smf = test::list_events();
        ASSERT_EQ(from_smf.size(), from_text.size() + 2) << resolution;  // bend and expression set-up
        from_smf.erase(from_smf.begin(), from_smf.begin() + 2);
        for (size_t i = 0; i < from_text.size(); ++i) {
            EXPECT_EQ(from_smf[i].time, from_text[i].time) << resolution << " " << i;
            EXPECT_EQ(from_smf[i].status, from_text[i].status) << resolution << " " << i;
            EXPECT_EQ(from_smf[i].data1, from_text[i].data1) << resolution << " " << i;
        }
    }
}

TEST_F(EndToEnd, IndependentReaderAcceptsTheSmf)
{
    if (test::run_command("/usr/bin/python3 -c 'import mido'").exit_status != 0)
        GTEST_SKIP() << "python3-mido is not installed (scripts/setup.sh installs it)";
    std::vector<double> triad = {synth::midi_note_frequency(60), synth::midi_note_frequency(64),
                                 synth::midi_note_frequency(67)};
    write_mono("triad.wav", synth::chord(triad, 5000, 44100));
    ASSERT_EQ(convert("triad.wav f:1").exit_status, 0);
    EXPECT_FALSE(exists("triad.txt"));
    ASSERT_TRUE(exists("triad.mid"));
    const std::string script =
        "import mido, sys\n"
        "m = mido.MidiFile(sys.argv[1])\n"
        "assert m.type == 0 and len(m.tracks) == 1 and m.ticks_per_beat == 384\n"
        "tempo = [x.tempo for x in m.tracks[0] if x.type == 'set_tempo']\n"
        "ons = [x for x in m.tracks[0] if x.type == 'note_on' and x.velocity > 0]\n"
        "offs = [x for x in m.tracks[0] if x.type == 'note_off' or (x.type == 'note_on' and x.velocity == 0)]\n"
        "ticks = sum(x.time for x in m.tracks[0])\n"
        "print(tempo[0], len(ons), len(offs), ticks % 3072, sorted(set(x.note for x in ons)))\n";
    test::write_text(dir.file("check.py"), script);
    test::CommandResult r = test::run_command("/usr/bin/python3 '" + dir.file("check.py") + "' '" + dir.file("triad.mid") + "'");
    ASSERT_EQ(r.exit_status, 0) << r.output;
    int tempo = 0, ons = 0, offs = 0, remainder = -1;
    ASSERT_EQ(std::sscanf(r.output.c_str(), "%d %d %d %d", &tempo, &ons, &offs, &remainder), 4) << r.output;
    EXPECT_EQ(tempo, 250000);
    EXPECT_GT(ons, 0);
    EXPECT_EQ(ons, offs);
    EXPECT_EQ(remainder, 0);

    ASSERT_GE(read_smf(dir.file("triad.mid").c_str()), 0);
    EXPECT_EQ(strongest_notes(3), (std::vector<int>{60, 64, 67}));
}

TEST_F(EndToEnd, MicrotonalGlideWritesPitchBendsOnSeveralChannels)
{
    write_mono("glide.wav", synth::glide(392, 466.16, 8000, 44100));
    test::CommandResult r = convert("glide m:1 f:0");
    ASSERT_EQ(r.exit_status, 0) << r.output;
    EXPECT_NE(r.output.find("Microtonal Analaysis:1\n"), std::string::npos);
    ASSERT_GT(read_text_midi(dir.file("glide.txt").c_str()), 0);
    int bends = 0;
    for (const MidiEvent& e : test::list_events())
        bends += (e.status & 0xF0) == MIDI_PITCH_BEND;
    EXPECT_GT(bends, 0);
    EXPECT_GT(midi_event_list.channels_used, 1);
    EXPECT_FALSE(exists("glide.mid"));
}

TEST_F(EndToEnd, SilenceAndTooShortFilesWriteNoMidi)
{
    write_mono("quiet.wav", synth::silence(22050));
    test::CommandResult r = convert("quiet");
    EXPECT_EQ(r.exit_status, 0) << r.output;
    EXPECT_NE(r.output.find("\nMIDI Event Data:0 are created.\n"), std::string::npos) << r.output;
    EXPECT_FALSE(exists("quiet.txt") || exists("quiet.mid"));

    write_mono("short.wav", synth::sine(440, 8000, 4000));
    r = convert("short");
    EXPECT_EQ(r.exit_status, 0) << r.output;
    EXPECT_NE(r.output.find("\nMIDI Event Data:0 are created.\n"), std::string::npos);
    EXPECT_FALSE(exists("short.txt") || exists("short.mid"));
    const std::string analysis = test::read_text(dir.file("short.fft"));
    EXPECT_EQ(std::count(analysis.begin(), analysis.end(), '\n'), 18) << "only the header of the analysis file";
}

TEST_F(EndToEnd, EveryInputLayoutConvertsToTheSameNote)
{
    struct Layout {
        const char* name;
        int32_t channels, rate, bits;
    };
    const Layout layouts[] = {{"8bit.wav", 1, 44100, 8}, {"24bit.wav", 1, 44100, 24}, {"stereo.wav", 2, 22050, 16}};
    for (const Layout& l : layouts) {
        auto tone = synth::sine(440, 8000, l.rate, l.rate);
        synth::WavLayout layout;
        layout.channels = l.channels;
        layout.rate = l.rate;
        layout.bits = l.bits;
        ASSERT_TRUE(synth::write_wav(dir.file(l.name), layout, l.channels == 2 ? synth::interleave(tone, tone) : tone));
        test::CommandResult r = convert(std::string(l.name) + " f:0");
        ASSERT_EQ(r.exit_status, 0) << l.name << r.output;
        std::string txt = dir.file(std::string(l.name).substr(0, std::string(l.name).size() - 3) + "txt");
        ASSERT_GT(read_text_midi(txt.c_str()), 0) << l.name;
        EXPECT_EQ(strongest_notes(1), std::vector<int>{69}) << l.name;
    }
}

TEST_F(EndToEnd, SettingsFileBesideTheProgramIsUsedAndOptionsOverrideIt)
{
    use_settings("[CONV2]\nKEY_MIN=60\nKEY_MAX=80\nTIME_UNIT=384\nBIT_RATE=0\n");
    write_mono("a.wav", synth::sine(440, 8000, 22050));
    test::CommandResult r = convert("a t:768 f:0");
    ASSERT_EQ(r.exit_status, 0) << r.output;
    ASSERT_GT(read_text_midi(dir.file("a.txt").c_str()), 0);
    EXPECT_EQ(conversion_settings.TIME_UNIT, 768);
    for (const MidiEvent& e : test::list_events()) {
        EXPECT_GE(e.data1, 60);
        EXPECT_LE(e.data1, 80);
    }
}

TEST_F(EndToEnd, RefusedSettingsFailWithOneLineAndWriteNothing)
{
    use_settings("[CONV2]\nKEY_MIN=90\nKEY_MAX=80\n");
    write_mono("a.wav", synth::sine(440, 8000, 22050));
    test::write_text(dir.file("a.fft"), "old analysis\n");
    test::CommandResult r = convert("a");
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_NE(r.output.find("Conversion refused: KEY_MIN must not be above KEY_MAX.\n"), std::string::npos) << r.output;
    EXPECT_EQ(test::read_text(dir.file("a.fft")), "old analysis\n");

    r = convert("a t:0");
    EXPECT_EQ(r.exit_status, 255);
    r = convert("a w:16");
    EXPECT_EQ(r.exit_status, 255);
    // What only the SMF cannot hold is refused before the analysis and the text file.
    test::write_text(dir.file("Tonagram.ini"), "");
    for (const char* options : {"t:2147483647", "t:384000001 f:1"}) {
        r = convert(std::string("a ") + options);
        EXPECT_EQ(r.exit_status, 255) << options;
        EXPECT_NE(r.output.find("Conversion refused: TIME_UNIT (time resolution per second) must be from 1 to "
                                "384000000 for a Standard MIDI File.\n"),
                  std::string::npos) << r.output;
    }
    EXPECT_EQ(test::read_text(dir.file("a.fft")), "old analysis\n");
    EXPECT_FALSE(exists("a.txt") || exists("a.mid"));
}

TEST_F(EndToEnd, UnwritableOutputIsReported)
{
    write_mono("a.wav", synth::sine(440, 8000, 22050));
    std::filesystem::create_directory(dir.file("a.txt"));  // a directory where the output goes
    test::CommandResult r = convert("a");
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_NE(r.output.find("Output File Creation ERROR\n"), std::string::npos) << r.output;
    EXPECT_FALSE(exists("a.mid"));
}

} // namespace
