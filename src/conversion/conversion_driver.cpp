#include "conversion/conversion_driver.h"

#include "analysis/analyse_wave.h"
#include "analysis/clean_transcription.h"
#include "analysis/note_extraction.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/settings_check.h"
#include "core/status.h"
#include "midi/event_statistics.h"
#include "midi/midi_event_list.h"
#include "midi/note_event_builder.h"
#include "midi/note_filter.h"
#include "midi/rate_limit.h"
#include "wave/wav_reader.h"

ConversionFinishedHook conversion_finished_hook = nullptr;

const char* refused_conversion_setting()
{
    if (!conversion_status.reconvert) {
        if (const char* problem = analysis_settings_problem())
            return problem;
    }
    return conversion_settings_problem();
}

namespace {

// last_event_time is the time of the last event in list order; an empty list gives 0.
void update_end_time()
{
    MidiEventList& list = midi_event_list;
    list.last_event_time = list.event_count > 0
        ? static_cast<uint32_t>(list.events[static_cast<size_t>(list.event_count - 1)].time)
        : 0;
    list.duration_ms = ticks_to_duration_ms(list.last_event_time);
}

// The clean transcription in place of extraction. Its notes are already few and
// deliberate: the rate limit (which drops the shortest, softest notes) and the note filter
// would only remove real ones.
bool run_clean_stages()
{
    if (clean_note_segments() <= 0)
        return false;
    build_note_events();
    update_end_time();
    midi_event_list.max_polyphony = count_polyphony();
    return true;
}

// Runs every stage; false when the settings were refused or extraction found nothing.
bool run_stages()
{
    if (const char* problem = refused_conversion_setting()) {
        show_message("Tonagram", problem);
        return false;
    }
    if (!conversion_status.reconvert) {
        mix_to_mono();
        analyse_wave();
    }
    if (conversion_settings.CLEAN_MODE == 1)
        return run_clean_stages();
    if (extract_note_segments() <= 0)
        return false;

    build_note_events();
    update_end_time();
    if (conversion_settings.BIT_RATE > 0) {
        midi_event_list.event_count = limit_event_rate();
        update_end_time();
    }
    midi_event_list.max_polyphony = count_polyphony();
    if (conversion_settings.FLT_CONNECT == 1) {
        // After a conversion the filter only connects notes and drops empty ones.
        filter_settings.FILTER_VELOCITY_MIN = 1;
        filter_settings.FILTER_LENGTH_MIN = 1;
        filter_events();
    }
    return true;
}

} // namespace

int32_t run_conversion()
{
    return run_stages() ? midi_event_list.event_count : 0;
}

int32_t conversion_worker()
{
    const bool converted = run_stages();
    if (converted)
        conversion_status.document_state = 2;
    conversion_status.conversion_thread = false;
    const int32_t events = converted ? midi_event_list.event_count : 0;
    if (conversion_finished_hook)
        conversion_finished_hook(events);
    return events;
}
