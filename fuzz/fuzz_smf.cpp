// The Standard MIDI File reader on any bytes; what it loads is written back as an SMF that
// the reader accepts again.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::reset_engine();
    const std::string path = fuzz::write_input("input.mid", data, size);
    const int32_t result = read_smf(path.c_str());
    const int32_t events = midi_event_list.event_count;
    fuzz::require(events >= 0 && events <= static_cast<int32_t>(midi_event_list.events.size()),
                  "the event count fits the list");
    // Every stored event takes at least three bytes of a track (two data bytes after a
    // one-byte delta in running status).
    fuzz::require(midi_event_list.events.size() <= size / 3 + 1, "the list grows only with the file");
    if (result < 0 || events == 0)
        return 0;
    const std::string copy = fuzz::scratch_path("copy.mid");
    if (write_smf(copy.c_str()) > 0)
        fuzz::require(read_smf(copy.c_str()) >= 0, "a written SMF reads back");
    return 0;
}
