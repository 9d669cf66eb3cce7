// The clean transcription through the console converter: c:1 writes the notes that were
// played, always the same bytes; c:0 writes what the converter writes without the option.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/midi_event_list.h"
#include "midi/text_midi_reader.h"
#include "signal/wav_synth.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace {

const std::string batch_exe = TONAGRAM_BATCH_EXE;

class CleanMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        // Two plucked notes, C4 at 0.3 s and G4 at 1.2 s, each 0.7 s long.
        std::vector<double> signal(static_cast<size_t>(2 * synth::RATE), 0.0);
        synth::add_plucked_note(signal, 60, 6000, synth::RATE * 3 / 10, synth::RATE * 7 / 10);
        synth::add_plucked_note(signal, 67, 6000, synth::RATE * 12 / 10, synth::RATE * 7 / 10);
        ASSERT_TRUE(synth::write_wav(dir.file("two.wav"), {}, synth::to_pcm16(signal)));
    }
    void TearDown() override { test::reset_engine_state(); }

    // Converts two.wav with the options; returns the text MIDI file's bytes.
    std::string convert(const std::string& options)
    {
        test::CommandResult r = test::run_command("cd '" + dir.path().string() + "' && '" + batch_exe + "' two " + options);
        EXPECT_EQ(r.exit_status, 0) << r.output;
        return test::read_text(dir.file("two.txt"));
    }

    test::TempDir dir;
};

struct PlayedNote {
    int note;
    int32_t on_ticks;
};

std::vector<PlayedNote> notes_of_text_file(const std::string& path)
{
    std::vector<PlayedNote> notes;
    if (read_text_midi(path.c_str()) <= 0)
        return notes;
    for (const MidiEvent& e : test::list_events()) {
        if (is_note_on(e) && e.data2 > 0)
            notes.push_back({e.data1, e.time});
    }
    return notes;
}

TEST_F(CleanMode, WritesExactlyThePlayedNotesAtTheirOnsets)
{
    convert("c:1");
    const std::vector<PlayedNote> notes = notes_of_text_file(dir.file("two.txt"));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].note, 60);
    EXPECT_EQ(notes[1].note, 67);
    // Within 50 ms (77 ticks at 1536 per second) of 0.3 s and 1.2 s.
    EXPECT_NEAR(notes[0].on_ticks, 1536 * 3 / 10, 77);
    EXPECT_NEAR(notes[1].on_ticks, 1536 * 12 / 10, 77);
}

TEST_F(CleanMode, SameBytesOnEveryRunAndOffIsTheDefault)
{
    const std::string clean = convert("c:1");
    EXPECT_EQ(convert("c:1"), clean);
    const std::string plain = convert("");
    EXPECT_EQ(convert("c:0"), plain);
    EXPECT_NE(plain, clean);
}

} // namespace
