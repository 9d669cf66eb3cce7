// The MIDI file readers refuse what is no regular file, or far too large, before reading a
// byte: nothing waits on a FIFO or reads a device without end, and the list stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/file_io.h"
#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/text_midi_reader.h"
#include "support/engine_state.h"
#include "support/midi_events.h"
#include "support/test_support.h"
#include "support/unreadable_paths.h"

namespace {

TEST(MidiFileRefusal, NonRegularAndHugeFilesLeaveTheListAsItWas)
{
    test::reset_engine_state();
    test::TempDir dir;
    std::vector<test::UnreadablePath> cases = test::make_unreadable_paths(dir, ".mid");
    ASSERT_FALSE(cases.empty());
    cases.push_back({"/dev/stdin", FileReadProblem::NotRegularFile});  // a pipe or terminal under ctest
    ::alarm(60);  // a reader that waits on the FIFO would hang here for good
    for (const test::UnreadablePath& c : cases) {
        for (bool smf : {false, true}) {
            SCOPED_TRACE(c.path + (smf ? " as SMF" : " as text"));
            if (c.path == "/dev/stdin" && std::filesystem::is_regular_file("/dev/stdin"))
                continue;
            test::load_events({test::event(0, 0x90, 60, 100), test::event(96, 0x80, 60)});
            conversion_settings.TIME_UNIT = 777;
            const int32_t result = smf ? read_smf(c.path.c_str()) : read_text_midi(c.path.c_str());
            EXPECT_EQ(result, smf ? -1 : 0);
            EXPECT_EQ(last_file_read_problem(), c.problem);
            EXPECT_EQ(midi_event_list.event_count, 2);
            EXPECT_EQ(conversion_settings.TIME_UNIT, 777);
        }
    }
    ::alarm(0);
    test::reset_engine_state();
}

} // namespace
