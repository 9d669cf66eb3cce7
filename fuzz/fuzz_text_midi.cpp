// The text MIDI reader on any text; what it loads is written back by both writers, and
// their files read back as the same number of events.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_reader.h"
#include "midi/text_midi_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::reset_engine();
    const std::string path = fuzz::write_input("input.txt", data, size);
    read_text_midi(path.c_str());
    const int32_t events = midi_event_list.event_count;
    fuzz::require(events >= 0 && events <= static_cast<int32_t>(midi_event_list.events.size()),
                  "the event count fits the list");
    // Each event takes a token of at least one character and a separator.
    fuzz::require(midi_event_list.events.size() <= size / 2 + 1, "the list grows only with the file");
    if (events == 0)
        return 0;

    const std::string text_copy = fuzz::scratch_path("copy.txt");
    fuzz::require(write_text_midi(text_copy.c_str()) == events, "the text writer writes every event");
    const std::string smf_copy = fuzz::scratch_path("copy.mid");
    const bool smf_written = write_smf(smf_copy.c_str()) > 0;
    read_text_midi(text_copy.c_str());
    fuzz::require(midi_event_list.event_count == events, "a written text file reads back whole");
    if (smf_written)
        fuzz::require(read_smf(smf_copy.c_str()) >= 0, "a written SMF reads back");
    return 0;
}
