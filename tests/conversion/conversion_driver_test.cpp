#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

#include "conversion/conversion_driver.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/status.h"
#include "midi/midi_event_list.h"
#include "analysis/note_segments.h"
#include "midi/note_filter.h"
#include "signal/wav_synth.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

namespace {

std::string last_message;
int finished_calls = 0;
int32_t finished_events = -1;

void record_message(const char*, const char* text) { last_message = text; }
void record_finish(int32_t events)
{
    ++finished_calls;
    finished_events = events;
}

class ConversionDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        reset_filter_settings();
        message_hook = record_message;
        conversion_finished_hook = record_finish;
        last_message.clear();
        finished_calls = 0;
        finished_events = -1;
        // A narrow key range keeps the analysis quick under the sanitizers.
        conversion_settings.KEY_MIN = 62;
        conversion_settings.KEY_MAX = 76;
    }
    void TearDown() override
    {
        message_hook = nullptr;
        conversion_finished_hook = nullptr;
        conversion_stage_hook = nullptr;
        progress_window_hook = nullptr;
        test::reset_engine_state();
    }
    void load(const std::vector<int16_t>& samples, int32_t channels = 1)
    {
        synth::WavLayout layout;
        layout.channels = channels;
        ASSERT_TRUE(synth::write_wav(path, layout, samples));
        set_current_path(path.c_str());
        ASSERT_GT(read_wave(path.c_str()), 0);
    }
    test::TempDir dir;
    std::string path = dir.file("tone.wav");
};

TEST_F(ConversionDriver, ConvertsAndMeasuresTheList)
{
    load(synth::sine(440, 8000, 22050));
    const int32_t events = run_conversion();
    ASSERT_GT(events, 0);
    const MidiEventList& list = midi_event_list;
    EXPECT_EQ(list.event_count, events);
    EXPECT_EQ(list.last_event_time, static_cast<uint32_t>(list.events[static_cast<size_t>(events - 1)].time));
    EXPECT_EQ(list.duration_ms, list.last_event_time * 1000u / 1536u);
    EXPECT_GE(list.max_polyphony, 1);
}

TEST_F(ConversionDriver, FilterRunsOnlyWithConnectionAndKeepsItsLimitsAtOne)
{
    load(synth::sine(440, 8000, 22050));
    run_conversion();
    EXPECT_EQ(filter_settings.FILTER_VELOCITY_MIN, 20);
    conversion_settings.FLT_CONNECT = 1;
    run_conversion();
    EXPECT_EQ(filter_settings.FILTER_VELOCITY_MIN, 1);
    EXPECT_EQ(filter_settings.FILTER_LENGTH_MIN, 1);
}

TEST_F(ConversionDriver, ReconversionReusesTheAnalysisWithoutMixingAgain)
{
    auto tone = synth::sine(440, 8000, 22050);
    load(synth::interleave(tone, tone), 2);
    const int32_t first = run_conversion();
    ASSERT_GT(first, 0);
    EXPECT_EQ(wave_data.channels, 1);
    const std::string analysis = test::read_text(dir.file("tone.fft"));

    // Scribble over the wave: a re-conversion must not look at it.
    std::fill(wave_data.samples.begin(), wave_data.samples.end(), int16_t{0});
    wave_data.channels = 2;
    conversion_status.reconvert = 1;
    EXPECT_EQ(run_conversion(), first);
    EXPECT_EQ(wave_data.channels, 2) << "no second mixdown";
    EXPECT_EQ(test::read_text(dir.file("tone.fft")), analysis) << "no second analysis";
}

TEST_F(ConversionDriver, NothingExtractedKeepsThePreviousList)
{
    load(synth::sine(440, 8000, 22050));
    const int32_t events = run_conversion();
    load(synth::silence(22050));
    EXPECT_EQ(run_conversion(), 0);
    EXPECT_EQ(midi_event_list.event_count, events);
}

TEST_F(ConversionDriver, RefusedSettingsAreReportedAndChangeNothing)
{
    load(synth::sine(440, 8000, 22050));
    conversion_settings.KEY_MAX = 200;
    EXPECT_EQ(run_conversion(), 0);
    EXPECT_NE(last_message.find("KEY_MAX"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("tone.fft")));

    conversion_settings.KEY_MAX = 76;
    conversion_settings.TIME_UNIT = 0;
    EXPECT_EQ(run_conversion(), 0);
    EXPECT_NE(last_message.find("TIME_UNIT"), std::string::npos);
}

TEST_F(ConversionDriver, WorkerPublishesItsEndEitherWay)
{
    load(synth::sine(440, 8000, 22050));
    conversion_status.conversion_thread = true;
    const int32_t events = conversion_worker();
    EXPECT_GT(events, 0);
    EXPECT_EQ(conversion_status.document_state, 2);
    EXPECT_FALSE(conversion_status.conversion_thread);
    EXPECT_EQ(finished_calls, 1);
    EXPECT_EQ(finished_events, events);

    load(synth::silence(22050));
    conversion_status.document_state = 1;
    conversion_status.conversion_thread = true;
    EXPECT_EQ(conversion_worker(), 0);
    EXPECT_EQ(conversion_status.document_state, 1);
    EXPECT_FALSE(conversion_status.conversion_thread);
    EXPECT_EQ(finished_calls, 2);
}

// The failure a test injects: which stage throws, and what.
ConversionStage failing_stage = ConversionStage::Mixdown;
bool throw_bad_alloc = true;

void fail_at_stage(ConversionStage stage)
{
    if (stage != failing_stage)
        return;
    if (throw_bad_alloc)
        throw std::bad_alloc();
    throw std::runtime_error("injected");
}

// Names in dir that are no file of a finished run: temporary files.
int temporary_files(const test::TempDir& dir)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        count += entry.path().extension() == ".tmp" ? 1 : 0;
    return count;
}

TEST_F(ConversionDriver, AStageThatThrowsEndsTheWorkerWithAFailureAndNothingHalfMade)
{
    struct Case {
        ConversionStage stage;
        bool bad_alloc;
        bool list_kept;  // the failure came before the previous event list was replaced
    };
    const Case cases[] = {
        {ConversionStage::Mixdown, true, true},     {ConversionStage::Analysis, false, true},
        {ConversionStage::Extraction, true, true},  {ConversionStage::Events, true, false},
        {ConversionStage::RateLimit, false, false}, {ConversionStage::Polyphony, true, false},
        {ConversionStage::Filter, true, false},
    };
    load(synth::sine(440, 8000, 11025));
    conversion_settings.FLT_CONNECT = 1;
    const int32_t events = conversion_worker();
    ASSERT_GT(events, 0);
    const std::string analysis = test::read_text(dir.file("tone.fft"));
    conversion_stage_hook = fail_at_stage;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.stage));
        failing_stage = c.stage;
        throw_bad_alloc = c.bad_alloc;
        conversion_status.document_state = 1;
        conversion_status.conversion_thread = true;
        const int32_t failure = c.bad_alloc ? CONVERSION_OUT_OF_MEMORY : CONVERSION_FAILED;
        EXPECT_EQ(conversion_worker(), failure);
        EXPECT_FALSE(conversion_status.conversion_thread);
        EXPECT_EQ(finished_events, failure);
        EXPECT_EQ(conversion_status.document_state, 1);
        EXPECT_EQ(midi_event_list.event_count, c.list_kept ? events : 0);
        EXPECT_LE(midi_event_list.event_count, static_cast<int32_t>(midi_event_list.events.size()));
        EXPECT_EQ(note_segment_list.count, 0);
        EXPECT_EQ(temporary_files(dir), 0);
        EXPECT_EQ(test::read_text(dir.file("tone.fft")), analysis);
        // The next conversion works as the first did.
        failing_stage = static_cast<ConversionStage>(-1);
        EXPECT_EQ(conversion_worker(), events);
        EXPECT_EQ(conversion_status.document_state, 2);
    }
}

TEST_F(ConversionDriver, AnExceptionInTheMiddleOfTheAnalysisLeavesNoTemporaryFile)
{
    // Thrown from within the analysis loop (its progress report), not between stages.
    load(synth::sine(440, 8000, 22050));
    ASSERT_GT(run_conversion(), 0);
    const std::string analysis = test::read_text(dir.file("tone.fft"));
    progress_window_hook = [](const char* text) {
        if (std::string(text).starts_with("周波数"))
            throw std::runtime_error("injected");
    };
    conversion_status.conversion_thread = true;
    EXPECT_EQ(conversion_worker(), CONVERSION_FAILED);
    EXPECT_FALSE(conversion_status.conversion_thread);
    EXPECT_EQ(temporary_files(dir), 0);
    EXPECT_EQ(test::read_text(dir.file("tone.fft")), analysis);
}

} // namespace
