#include "support/engine_state.h"

#include <algorithm>
#include <iterator>

#include "analysis/analysis_results.h"
#include "analysis/note_segments.h"
#include "analysis/sinusoid_tables.h"
#include "core/settings.h"
#include "core/status.h"
#include "midi/list_change.h"
#include "midi/midi_event_list.h"
#include "midi/note_filter.h"
#include "midi/note_selection.h"
#include "midi/text_midi_reader.h"
#include "wave/wav_reader.h"

namespace test {

void reset_engine_state()
{
    reset_settings();
    reset_conversion_status();
    reset_wave_data();
    reset_event_list();
    reset_note_selection();
    reset_list_change_settings();
    clear_note_segment_lists();
    free_analysis_tables();
    reset_filter_settings();
    reset_text_midi_reader_memory();
    std::fill(std::begin(note_window_length), std::end(note_window_length), 0);
    analysis_record_count = 0;
    max_level = 0;
}

} // namespace test
