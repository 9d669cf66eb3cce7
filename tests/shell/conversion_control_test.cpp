#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>
#include <string>
#include <vector>

#include "conversion/conversion_driver.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/status.h"
#include "midi/midi_event_list.h"
#include "shell/conversion_control.h"
#include "signal/wav_synth.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

namespace {

// What the worker thread reports, guarded for the test thread.
struct WorkerReports {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> progress;
    std::vector<uint64_t> ended_runs;
    int32_t events = -1;
    bool hold_analysis = false;  // the first analysis report waits for release
    bool held = false;
    bool released = false;
};
WorkerReports* reports = nullptr;
std::vector<std::string> messages;

void record_progress(const char* text)
{
    std::unique_lock lock(reports->mutex);
    reports->progress.emplace_back(text);
    if (reports->hold_analysis && !reports->held && std::string(text).find("周波数解析") == 0) {
        reports->held = true;
        reports->changed.notify_all();
        reports->changed.wait(lock, [] { return reports->released; });
    }
}

void record_end(uint64_t run, int32_t events)
{
    std::lock_guard lock(reports->mutex);
    reports->ended_runs.push_back(run);
    reports->events = events;
    reports->changed.notify_all();
}

class WorkerControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        reports = &state;
        messages.clear();
        progress_window_hook = record_progress;
        message_hook = [](const char*, const char* text) { messages.emplace_back(text); };
        conversion_settings.KEY_MIN = 62;  // a narrow key range keeps the analysis quick
        conversion_settings.KEY_MAX = 76;
    }
    void TearDown() override
    {
        wait_for_conversion_worker();
        before_worker_thread_start = nullptr;
        conversion_stage_hook = nullptr;
        progress_window_hook = nullptr;
        message_hook = nullptr;
        reports = nullptr;
        test::reset_engine_state();
    }
    void load(const std::vector<int16_t>& samples)
    {
        ASSERT_TRUE(synth::write_wav(wave, synth::WavLayout{}, samples));
        ASSERT_TRUE(set_current_path(wave.c_str()));
        ASSERT_GT(read_wave(wave.c_str()), 0);
    }
    // Waits for the end of run and finishes it as the UI thread does.
    ConversionOutcome finish(uint64_t run)
    {
        {
            std::unique_lock lock(state.mutex);
            state.changed.wait(lock, [&] {
                return !state.ended_runs.empty() && state.ended_runs.back() == run;
            });
        }
        ConversionOutcome outcome{};
        EXPECT_TRUE(finish_conversion_worker(run, state.events, outcome));
        EXPECT_FALSE(conversion_status.conversion_thread);
        return outcome;
    }
    WorkerReports state;
    test::TempDir dir;
    std::string wave = dir.file("tone.wav");
};

TEST_F(WorkerControl, ConvertsOnTheWorkerWithProgressInTheWindowForm)
{
    load(synth::sine(440, 8000, 22050));
    conversion_status.document_state = 1;
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::Converted);
    EXPECT_GT(state.events, 0);
    EXPECT_EQ(conversion_status.document_state, 2);
    ASSERT_GE(state.progress.size(), 2u);
    EXPECT_EQ(state.progress.front().rfind("正弦波テーブル作成：", 0), 0u) << state.progress.front();
    EXPECT_EQ(state.progress.back().rfind("周波数解析処理進行中：", 0), 0u) << state.progress.back();
    EXPECT_NE(state.progress.back().find(" [%]"), std::string::npos);
    EXPECT_TRUE(conversion_notice(ConversionOutcome::Converted, state.events).empty());
}

TEST_F(WorkerControl, NothingFoundEndsCleanlyAndIsTold)
{
    load(synth::silence(22050));
    conversion_status.document_state = 1;
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::NoNotes);
    EXPECT_EQ(conversion_status.document_state, 1);
    EXPECT_FALSE(conversion_notice(ConversionOutcome::NoNotes, 0).empty());
}

TEST_F(WorkerControl, StopLeavesTheAnalysisAtTheNextFrameAndBuildsOnceFromWhatWasAnalysed)
{
    load(synth::sine(440, 8000, 44100 * 4));
    state.hold_analysis = true;
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    {
        std::unique_lock lock(state.mutex);
        state.changed.wait(lock, [&] { return state.held; });
    }
    EXPECT_EQ(start_conversion_worker(record_end), WorkerStart::AlreadyRunning);
    EXPECT_TRUE(request_conversion_stop());
    {
        std::lock_guard lock(state.mutex);
        state.released = true;
    }
    state.changed.notify_all();
    conversion_status.reconvert = 1;  // a stopped run leaves it 0
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::Stopped);
    EXPECT_EQ(state.ended_runs.size(), 1u);
    EXPECT_EQ(conversion_status.reconvert, 0);
    EXPECT_EQ(conversion_status.document_state, 2);
    // Only the first frames were analysed: the events end long before the four seconds.
    EXPECT_LT(midi_event_list.last_event_time, 1536u);
    const std::string stopped = conversion_notice(ConversionOutcome::Stopped, state.events);
    EXPECT_NE(stopped, conversion_notice(ConversionOutcome::NoNotes, 0));
    EXPECT_FALSE(request_conversion_stop());
}

TEST_F(WorkerControl, AnEndedWorkerIsJoinedBeforeTheNextStartsAndItsLateEndIsStale)
{
    load(synth::sine(440, 8000, 11025));
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    const uint64_t first = current_conversion_run();
    {
        std::unique_lock lock(state.mutex);
        state.changed.wait(lock, [&] { return !state.ended_runs.empty(); });
    }
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    ConversionOutcome outcome{};
    EXPECT_FALSE(finish_conversion_worker(first, 0, outcome));
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::Converted);
}

TEST_F(WorkerControl, RefusalsComeWithAMessageAndStartNoThread)
{
    load(synth::sine(440, 8000, 11025));
    conversion_settings.KEY_MIN = 80;  // above KEY_MAX
    EXPECT_EQ(start_conversion_worker(record_end), WorkerStart::Refused);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(conversion_status.conversion_thread);
    conversion_settings.KEY_MIN = 62;

    // A re-conversion after another recording's MIDI file was opened.
    conversion_status.reconvert = 1;
    ASSERT_TRUE(set_current_path(dir.file("other.txt").c_str()));
    EXPECT_FALSE(analysis_belongs_to_wave());
    EXPECT_EQ(start_conversion_worker(record_end), WorkerStart::Refused);
    EXPECT_EQ(messages.back(), RECONVERT_REFUSED_TEXT);

    // The same recording's MIDI file shares its analysis file.
    ASSERT_TRUE(set_current_path(dir.file("tone.mid").c_str()));
    EXPECT_TRUE(analysis_belongs_to_wave());
}

TEST_F(WorkerControl, AFullConversionAfterAnotherFileAnalysesBesideTheLoadedWave)
{
    load(synth::sine(440, 8000, 11025));
    const std::string other = dir.file("other.txt");
    ASSERT_TRUE(set_current_path(other.c_str()));
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::Converted);
    EXPECT_TRUE(std::filesystem::exists(dir.file("tone.fft")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("other.fft")));
    EXPECT_STREQ(conversion_status.current_path, wave.c_str());
}

TEST_F(WorkerControl, ARefusalInsideTheWorkerIsToldApartFromNothingFound)
{
    load(synth::sine(440, 8000, 11025));
    // The analysis file cannot be created in a directory that is gone.
    const std::string gone = dir.file("gone/tone.wav");
    ASSERT_TRUE(set_current_path(gone.c_str()));
    std::strcpy(wave_data.wave_name, gone.c_str());
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::Refused);
    EXPECT_FALSE(messages.empty());
}

TEST_F(WorkerControl, ASystemWithoutAThreadToGiveRefusesWithAMessage)
{
    load(synth::sine(440, 8000, 11025));
    before_worker_thread_start = [] {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    const uint64_t runs = current_conversion_run();
    EXPECT_EQ(start_conversion_worker(record_end), WorkerStart::Refused);
    EXPECT_FALSE(conversion_status.conversion_thread) << "the menu must not wait for a worker";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.back(), NO_WORKER_THREAD_TEXT);
    EXPECT_EQ(current_conversion_run(), runs);

    before_worker_thread_start = nullptr;
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::Converted);
}

TEST_F(WorkerControl, AFailureOnTheWorkerBecomesAnOutcomeWithANotice)
{
    struct Case {
        bool bad_alloc;
        bool stop;
        ConversionOutcome outcome;
    };
    const Case cases[] = {
        {true, false, ConversionOutcome::OutOfMemory},
        {false, false, ConversionOutcome::Failed},
        {true, true, ConversionOutcome::OutOfMemory},  // a failure wins over the stop
    };
    load(synth::sine(440, 8000, 11025));
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.outcome));
        conversion_stage_hook = c.bad_alloc ? +[](ConversionStage stage) {
            if (stage == ConversionStage::Extraction)
                throw std::bad_alloc();
        } : +[](ConversionStage stage) {
            if (stage == ConversionStage::Extraction)
                throw std::length_error("injected");
        };
        conversion_status.document_state = 1;
        ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
        if (c.stop)
            request_conversion_stop();
        EXPECT_EQ(finish(current_conversion_run()), c.outcome);
        EXPECT_EQ(conversion_status.document_state, 1);
        EXPECT_EQ(midi_event_list.event_count, 0);
        EXPECT_EQ(conversion_status.reconvert, 0);
        EXPECT_FALSE(conversion_notice(c.outcome, state.events).empty());
    }
    EXPECT_NE(conversion_notice(ConversionOutcome::OutOfMemory, 0), conversion_notice(ConversionOutcome::Failed, 0));
    conversion_stage_hook = nullptr;
    ASSERT_EQ(start_conversion_worker(record_end), WorkerStart::Started);
    EXPECT_EQ(finish(current_conversion_run()), ConversionOutcome::Converted);
}

} // namespace
