// The two MIDI file writers where the file cannot be written: each reports the failure,
// keeps the list's statistics, and leaves a previous file byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "midi/midi_event_list.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_writer.h"
#include "midi_file_test_helpers.h"
#include "support/test_support.h"

namespace {

struct Writer {
    const char* name;
    int32_t (*write)(const char*);
};

const Writer writers[] = {{"good.txt", write_text_midi}, {"good.mid", write_smf}};

TEST(MidiFileWriteSafety, FailedWritesReportAndKeepThePreviousFile)
{
    test::reset_engine_state();
    midifile_test::set_representative_settings();
    test::load_events(midifile_test::representative_events());
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    for (const Writer& w : writers)
        test::write_text(dir.file(w.name), "a good file\n");
    const auto before = test::directory_snapshot(dir.path());
    const uint32_t duration = midi_event_list.duration_ms;

    for (const Writer& w : writers) {
        for (const std::string& path : {dir.file("good.txt/x"), dir.file("folder"), std::string("/dev/full")})
            EXPECT_LE(w.write(path.c_str()), 0) << w.name << " to " << path;
        // A full disk: the new file is longer than any file may be.
        const std::string path = dir.file(w.name);
        const int result = test::run_with_file_size_limit(20, [&] { return w.write(path.c_str()) > 0 ? 1 : 0; });
        EXPECT_EQ(result, 0) << w.name;
    }
    EXPECT_EQ(test::directory_snapshot(dir.path()), before);
    EXPECT_EQ(midi_event_list.duration_ms, duration);
}

} // namespace
