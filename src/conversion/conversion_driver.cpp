#include "conversion/conversion_driver.h"

#include <exception>
#include <new>

#include "analysis/analyse_wave.h"
#include "analysis/clean_transcription.h"
#include "analysis/note_extraction.h"
#include "analysis/note_segments.h"
#include "analysis/sinusoid_tables.h"
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
ConversionStageHook conversion_stage_hook = nullptr;

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

// Set when event building begins: from then on the previous event list is gone.
bool events_replaced = false;

void begin(ConversionStage stage)
{
    if (stage == ConversionStage::Events)
        events_replaced = true;
    if (conversion_stage_hook)
        conversion_stage_hook(stage);
}

// The clean transcription in place of extraction. Its notes are already few and
// deliberate: the rate limit (which drops the shortest, softest notes) and the note filter
// would only remove real ones.
bool run_clean_stages()
{
    if (clean_note_segments() <= 0)
        return false;
    begin(ConversionStage::Events);
    build_note_events();
    update_end_time();
    midi_event_list.max_polyphony = count_polyphony();
    return true;
}

// Runs every stage; false when the settings were refused or extraction found nothing.
bool run_stages()
{
    events_replaced = false;
    if (const char* problem = refused_conversion_setting()) {
        show_message("Tonagram", problem);
        return false;
    }
    if (!conversion_status.reconvert) {
        begin(ConversionStage::Mixdown);
        mix_to_mono();
        begin(ConversionStage::Analysis);
        analyse_wave();
    }
    begin(ConversionStage::Extraction);
    if (conversion_settings.CLEAN_MODE == 1)
        return run_clean_stages();
    if (extract_note_segments() <= 0)
        return false;

    begin(ConversionStage::Events);
    build_note_events();
    update_end_time();
    if (conversion_settings.BIT_RATE > 0) {
        begin(ConversionStage::RateLimit);
        midi_event_list.event_count = limit_event_rate();
        update_end_time();
    }
    begin(ConversionStage::Polyphony);
    midi_event_list.max_polyphony = count_polyphony();
    if (conversion_settings.FLT_CONNECT == 1) {
        begin(ConversionStage::Filter);
        // After a conversion the filter only connects notes and drops empty ones.
        filter_settings.FILTER_VELOCITY_MIN = 1;
        filter_settings.FILTER_LENGTH_MIN = 1;
        filter_events();
    }
    return true;
}

// After a stage threw: releases what the stages were building, so the window shows either
// the previous events or none, never a list half rewritten.
void release_partial_results()
{
    free_analysis_tables();
    clear_note_segment_lists();
    if (events_replaced) {
        clear_event_list();
        midi_event_list.last_event_time = 0;
        midi_event_list.duration_ms = 0;
        midi_event_list.selected_on = -1;
        midi_event_list.selected_off = -1;
    }
}

// The stages on the worker thread; converted as run_stages returns it. Returns the event
// count, or a failure code.
int32_t run_stages_caught(bool& converted)
{
    converted = false;
    try {
        converted = run_stages();
        return converted ? midi_event_list.event_count : 0;
    } catch (const std::bad_alloc&) {
        release_partial_results();
        return CONVERSION_OUT_OF_MEMORY;
    } catch (const std::exception&) {
        release_partial_results();
        return CONVERSION_FAILED;
    }
}

} // namespace

int32_t run_conversion()
{
    return run_stages() ? midi_event_list.event_count : 0;
}

int32_t conversion_worker()
{
    bool converted = false;
    const int32_t events = run_stages_caught(converted);
    if (converted)
        conversion_status.document_state = 2;
    conversion_status.conversion_thread = false;
    if (conversion_finished_hook)
        conversion_finished_hook(events);
    return events;
}
