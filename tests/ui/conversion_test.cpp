// Conversions from the menu: the worker thread, its progress drawn on the UI thread, stop,
// the empty result, refusals, and commands that arrive while it runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>

#include <new>
#include <system_error>

#include "conversion/conversion_driver.h"
#include "core/settings.h"
#include "core/status.h"
#include "midi/midi_event_list.h"
#include "midi/note_selection.h"
#include "shell/commands.h"
#include "shell/conversion_control.h"
#include "signal/wav_synth.h"
#include "support/midi_events.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui_test_support.h"
#include "wave/wav_reader.h"

namespace {

using uitest::ModalScript;

class ConversionFromMenu : public uitest::WindowTest {
protected:
    // The narrow key range keeps the analysis quick under the sanitizers.
    void load(const std::vector<int16_t>& samples) { load_wave(samples); }
    // Runs the convert command through both settings dialogs, each confirmed with OK; the
    // script may hold answers for what comes after them.
    void convert(ModalScript& script)
    {
        script.then([](QWidget* w) {
            conversion_settings.KEY_MIN = 62;
            conversion_settings.KEY_MAX = 76;
            uitest::press(1)(w);
        }).then(uitest::press(1));
        window->command_action(CMD_CONVERT)->trigger();
    }
    bool worker_ended() const { return !conversion_status.conversion_thread; }
};

TEST_F(ConversionFromMenu, ConvertsOnTheWorkerAndShowsTheRoll)
{
    load(synth::sine(440, 8000, 22050));
    test::load_events({test::event(0, 0x90, 60, 100), test::event(100, 0x80, 60)});
    ASSERT_TRUE(select_note_events(0, 1));
    std::vector<QString> progress;
    ModalScript script;
    convert(script);
    ASSERT_TRUE(uitest::wait_until([&] {
        if (!window->progress_text().isEmpty() &&
            (progress.empty() || progress.back() != window->progress_text()))
            progress.push_back(window->progress_text());
        return worker_ended() && window->progress_text().isEmpty();
    }));
    uitest::wait_until([&] { return window->last_outcome() == ConversionOutcome::Converted; }, 5000);
    EXPECT_EQ(window->last_outcome(), ConversionOutcome::Converted);
    EXPECT_EQ(conversion_status.document_state, 2);
    ASSERT_GE(midi_event_list.event_count, 2);
    EXPECT_EQ(midi_event_list.events[0].data1, 69) << "the 440 Hz note replaced the loaded list";
    EXPECT_EQ(midi_event_list.selected_on, -1) << "the converted list clears the selection";
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(progress.front().startsWith(QStringLiteral("正弦波テーブル作成：")) ||
                progress.front().startsWith(QStringLiteral("周波数解析処理進行中：")))
        << progress.front().toStdString();
    EXPECT_TRUE(script.done() && script.unexpected().empty());
    EXPECT_TRUE(window->command_action(CMD_SAVE_TEXT)->isEnabled());
    EXPECT_FALSE(window->command_action(CMD_STOP_CONVERSION)->isEnabled());
}

// The columns of row y of image that hold a dark pixel.
int last_dark_column(const QImage& image, int top, int bottom)
{
    int last = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                last = std::max(last, x);
        }
    }
    return last;
}

TEST_F(ConversionFromMenu, ProgressIsDrawnAtTenTenAndAShorterTextLeavesNoTail)
{
    conversion_status.conversion_thread = true;  // drawn only while a worker runs
    window->show_progress(QStringLiteral("周波数解析処理進行中：100 [%]"));
    const QImage longer = window->client()->grab().toImage();
    window->show_progress(QStringLiteral("周波数解析処理進行中：5 [%]"));
    const QImage shorter = window->client()->grab().toImage();
    conversion_status.conversion_thread = false;
    const int long_end = last_dark_column(longer, 0, 40);
    const int short_end = last_dark_column(shorter, 0, 40);
    EXPECT_GT(long_end, short_end + 5);
    EXPECT_EQ(last_dark_column(shorter, 0, 10), -1) << "the text starts at y 10";
    int first = shorter.width();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < shorter.width(); ++x)
            if (qGray(shorter.pixel(x, y)) < 128)
                first = std::min(first, x);
    EXPECT_GE(first, 10);
    EXPECT_LE(first, 14);
}

TEST_F(ConversionFromMenu, CommandsDuringTheWorkerAreGrayedAndDoNothing)
{
    load(synth::sine(440, 8000, 44100 * 3));
    QString notice;
    ModalScript script;
    convert(script);
    ASSERT_TRUE(conversion_status.conversion_thread);
    for (int32_t command : {CMD_READ_WAVE, CMD_READ_TEXT, CMD_READ_SMF, CMD_SAVE_TEXT, CMD_SAVE_SMF,
                            CMD_PLAY_WAVE, CMD_PLAY_MIDI, CMD_FILTER, CMD_CHANGE_PITCH_TEMPO,
                            CMD_EDIT_NOTE, CMD_CONVERT, CMD_RECONVERT, CMD_DISPLAY_SETTINGS})
        EXPECT_FALSE(window->command_action(command)->isEnabled()) << command;
    EXPECT_TRUE(window->command_action(CMD_STOP_CONVERSION)->isEnabled());
    // Any dialog opened now would be recorded as unexpected.
    for (int32_t command : {CMD_READ_WAVE, CMD_SAVE_TEXT, CMD_FILTER, CMD_EDIT_NOTE, CMD_CONVERT,
                            CMD_PLAY_WAVE, CMD_PLAY_MIDI})
        window->run_command(command);
    window->client_clicked(100, 100);
    window->client()->repaint();
    EXPECT_TRUE(script.done() && script.unexpected().empty());
    EXPECT_EQ(conversion_status.document_state, 1);
    uitest::wait_until([&] { return !window->progress_text().isEmpty(); });

    script.then(uitest::read_message(&notice));
    conversion_status.reconvert = 1;
    window->command_action(CMD_STOP_CONVERSION)->trigger();
    ASSERT_TRUE(uitest::wait_until([&] { return script.done(); }));
    EXPECT_EQ(window->last_outcome(), ConversionOutcome::Stopped);
    EXPECT_TRUE(notice.startsWith(QStringLiteral("変換を停止しました"))) << notice.toStdString();
    EXPECT_EQ(conversion_status.document_state, 2);
    EXPECT_EQ(conversion_status.reconvert, 0);
    EXPECT_LT(midi_event_list.last_event_time, 3u * 1536u) << "only the analysed part was built";
}

TEST_F(ConversionFromMenu, NothingFoundIsToldAndTheMenusReturn)
{
    load(synth::silence(22050));
    QString notice;
    ModalScript script;
    convert(script);
    script.then(uitest::read_message(&notice));
    ASSERT_TRUE(uitest::wait_until([&] { return script.done(); }));
    EXPECT_EQ(window->last_outcome(), ConversionOutcome::NoNotes);
    EXPECT_EQ(notice.toStdString(), conversion_notice(ConversionOutcome::NoNotes, 0));
    window->run_prologue();
    EXPECT_TRUE(window->command_action(CMD_CONVERT)->isEnabled());
    EXPECT_TRUE(window->command_action(CMD_READ_WAVE)->isEnabled());
    EXPECT_EQ(conversion_status.document_state, 1);
}

TEST_F(ConversionFromMenu, AReconversionOfAnotherRecordingsFileIsRefused)
{
    load(synth::sine(440, 8000, 11025));
    ASSERT_TRUE(set_current_path(dir.file("other.txt").c_str()));
    QString message;
    ModalScript script;
    script.then(uitest::press(1)).then(uitest::read_message(&message));
    window->command_action(CMD_RECONVERT)->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(message.toStdString(), RECONVERT_REFUSED_TEXT);
    EXPECT_EQ(window->last_outcome(), ConversionOutcome::Refused);
    EXPECT_FALSE(conversion_status.conversion_thread);
}

TEST_F(ConversionFromMenu, CleanIsGreyUntilAnAnalysisThenCleansTheLastConversion)
{
    load(synth::sine(440, 8000, 22050));
    window->run_prologue();
    EXPECT_FALSE(window->command_action(CMD_CLEAN)->isEnabled()) << "nothing analysed yet";
    ModalScript script;
    convert(script);
    ASSERT_TRUE(uitest::wait_until([&] { return worker_ended(); }));
    uitest::wait_until([&] { return window->last_outcome() == ConversionOutcome::Converted; }, 5000);
    window->run_prologue();
    ASSERT_TRUE(window->command_action(CMD_CLEAN)->isEnabled());

    window->command_action(CMD_CLEAN)->trigger();
    ASSERT_TRUE(uitest::wait_until([&] { return worker_ended(); }));
    uitest::wait_until([&] { return window->last_outcome() == ConversionOutcome::Converted; }, 5000);
    EXPECT_TRUE(script.done() && script.unexpected().empty()) << "no dialog: it cleans at once";
    // One note A4 with its note-off, and the mode is off again for the next conversion.
    ASSERT_EQ(midi_event_list.event_count, 2);
    EXPECT_EQ(midi_event_list.events[0].data1, 69);
    EXPECT_EQ(conversion_settings.CLEAN_MODE, 0);
}

TEST_F(ConversionFromMenu, ClosingTheWindowStopsTheWorkerFirst)
{
    load(synth::sine(440, 8000, 44100 * 3));
    ModalScript script;
    convert(script);
    ASSERT_TRUE(conversion_status.conversion_thread);
    window->close();
    EXPECT_TRUE(window->isVisible()) << "the window waits for the worker";
    ASSERT_TRUE(uitest::wait_until([&] { return !window->isVisible(); }));
    EXPECT_FALSE(conversion_status.conversion_thread);
    EXPECT_TRUE(script.unexpected().empty()) << "no notice while closing";
    EXPECT_EQ(midi_event_list.event_count, 0) << "the window released the data";
}

TEST_F(ConversionFromMenu, AWorkerOutOfMemoryIsToldAndTheWindowStaysUsable)
{
    load(synth::sine(440, 8000, 22050));
    conversion_stage_hook = [](ConversionStage stage) {
        if (stage == ConversionStage::Extraction)
            throw std::bad_alloc();
    };
    QString notice;
    {
        // A script that has run out would answer the next conversion's dialogs: one at a time.
        ModalScript script;
        convert(script);
        script.then(uitest::read_message(&notice));
        const bool told = uitest::wait_until([&] { return script.done(); });
        conversion_stage_hook = nullptr;
        ASSERT_TRUE(told);
    }
    EXPECT_EQ(window->last_outcome(), ConversionOutcome::OutOfMemory);
    EXPECT_EQ(notice.toStdString(), conversion_notice(ConversionOutcome::OutOfMemory, 0));
    window->run_prologue();
    EXPECT_FALSE(conversion_status.conversion_thread);
    EXPECT_TRUE(window->command_action(CMD_CONVERT)->isEnabled());
    EXPECT_TRUE(window->command_action(CMD_READ_WAVE)->isEnabled());

    // The next conversion runs as usual.
    ModalScript again;
    convert(again);
    ASSERT_TRUE(uitest::wait_until([&] { return worker_ended() && window->last_outcome() == ConversionOutcome::Converted; }));
    EXPECT_GT(midi_event_list.event_count, 0);
}

TEST_F(ConversionFromMenu, NoThreadForTheWorkerIsToldAndNothingWaitsForIt)
{
    load(synth::sine(440, 8000, 22050));
    before_worker_thread_start = [] {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    QString message;
    ModalScript script;
    // The message comes at once, before the command returns.
    script.then(uitest::press(1)).then(uitest::press(1)).then(uitest::read_message(&message));
    window->command_action(CMD_CONVERT)->trigger();
    before_worker_thread_start = nullptr;
    ASSERT_TRUE(script.done());
    EXPECT_EQ(message.toStdString(), NO_WORKER_THREAD_TEXT);
    EXPECT_EQ(window->last_outcome(), ConversionOutcome::Refused);
    EXPECT_FALSE(conversion_status.conversion_thread);
    window->run_prologue();
    EXPECT_TRUE(window->command_action(CMD_CONVERT)->isEnabled());
    EXPECT_FALSE(window->command_action(CMD_STOP_CONVERSION)->isEnabled());
}

} // namespace
