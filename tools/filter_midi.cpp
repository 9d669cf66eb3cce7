// Applies the GUI's whole-list note filter, at the values its dialog starts with, to a text
// MIDI file and writes the result as a Standard MIDI File: what a user gets by converting,
// then pressing OK in the filter dialog without changing anything.
#include <cstdio>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/note_filter.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_reader.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: filter_midi INPUT.txt OUTPUT.mid\n");
        return 2;
    }
    reset_filter_settings();
    if (read_text_midi(argv[1]) <= 0 && midi_event_list.event_count <= 0) {
        std::fprintf(stderr, "filter_midi: cannot read %s\n", argv[1]);
        return 1;
    }
    filter_events();
    if (midi_event_list.event_count > 0 && write_smf(argv[2]) < 0) {
        std::fprintf(stderr, "filter_midi: cannot write %s\n", argv[2]);
        return 1;
    }
    // An empty result leaves no file: the scorer reads a missing file as no notes.
    std::printf("%d events\n", midi_event_list.event_count);
    return 0;
}
