// The two file forms of one list carry the same events: read back, they differ only where
// the forms themselves differ (the SMF's set-up in front, tags, controller numbers and
// note-off velocities of the text form). Controllers other than expression are left out:
// the SMF reader keeps only expression.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_reader.h"
#include "midi/text_midi_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using test::event;

namespace {

// The events as both forms can carry them.
std::vector<std::string> comparable(size_t skip)
{
    std::vector<MidiEvent> events = test::list_events();
    events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(std::min(skip, events.size())));
    for (MidiEvent& e : events) {
        e.tag = 0;
        e = midifile_test::as_in_text_form(e);
    }
    return test::describe_all(events);
}

} // namespace

TEST(SmfTextAgreement, BothFormsOfOneListCarryTheSameEvents)
{
    const std::vector<std::vector<MidiEvent>> lists = {
        midifile_test::representative_events(),
        {event(0, 0x90, 0, 1), event(0, 0x90, 127, 127), event(5, 0x80, 0, 3), event(2, 0x90, 127, 0),
         event(70000, 0xB5, 11, 0), event(70001, 0xE5, 0x00, 0x00), event(70002, 0xE5, 0x00, 0x60),
         event(-3, 0x80, 127, 0)},
    };
    for (const std::vector<MidiEvent>& events : lists) {
        test::reset_engine_state();
        reset_text_midi_reader_memory();
        test::TempDir dir;
        test::load_events(events, 6);
        ASSERT_GT(write_text_midi(dir.file("a.txt").c_str()), 0);
        const uint32_t text_end = midi_event_list.last_event_time;
        ASSERT_GT(write_smf(dir.file("a.mid").c_str()), 0);
        EXPECT_EQ(midi_event_list.last_event_time, text_end);

        read_text_midi(dir.file("a.txt").c_str());
        const std::vector<std::string> from_text = comparable(0);
        read_smf(dir.file("a.mid").c_str());
        EXPECT_EQ(comparable(2 * 6), from_text);  // the SMF's bend and expression set-up in front
    }
}
