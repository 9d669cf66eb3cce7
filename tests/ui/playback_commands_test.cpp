// The playback commands: the WAV player's transport window (where it opens, that it closes
// by itself at the end of the file or when the main window closes, that it survives a
// machine without sound) and MIDI playback returning to idle by itself.
#include <gtest/gtest.h>

#include <QAction>
#include <QWindow>

#include "core/status.h"
#include "playback/midi_player.h"
#include "playback/playback_timer.h"
#include "playback/recording_midi_output.h"
#include "shell/commands.h"
#include "shell/playback_state.h"
#include "signal/wav_synth.h"
#include "support/midi_events.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/wave_player.h"
#include "ui_test_support.h"
#include "wave/wav_reader.h"

namespace {

class WavePlayer : public uitest::WindowTest {
protected:
    void SetUp() override
    {
        uitest::WindowTest::SetUp();
        window->activateWindow();
        load_wave(synth::sine(440, 8000, 4410));
    }
};

TEST_F(WavePlayer, OpensOverTheActiveWindowAndReturnsToIdleWithoutUserAction)
{
    window->command_action(CMD_PLAY_WAVE)->trigger();
    EXPECT_EQ(playback_state, 1);
    EXPECT_EQ(conversion_status.document_state, 1);
    QWidget* player = wave_player_window();
    ASSERT_NE(player, nullptr);
    const QRect main = window->frameGeometry();
    EXPECT_EQ(player->frameGeometry().topLeft(), QPoint(main.x(), main.y() + 40));
    EXPECT_EQ(player->width(), main.width());
    EXPECT_EQ(player->height(), 50);
    window->run_prologue();  // the next event enables the stop command
    EXPECT_TRUE(window->command_action(CMD_STOP_PLAYBACK)->isEnabled());
    // A tenth of a second of sound ends by itself; without a sound device the player shows
    // its error instead and waits to be stopped. Neither may hang or crash.
    uitest::wait_until([] { return playback_state == 0; }, 5000);
    if (playback_state != 0) {
        window->command_action(CMD_STOP_PLAYBACK)->trigger();
        EXPECT_EQ(playback_state, 0);
    }
    EXPECT_EQ(wave_player_window(), nullptr);
    EXPECT_EQ(wave_playing, 0);
}

// The player plays the loaded WAV file, not the file a dialog chose last, and its window
// belongs to the main window: it stays above it and goes with it.
TEST_F(WavePlayer, PlaysTheLoadedWaveInAWindowOfTheMainWindow)
{
    ASSERT_TRUE(set_current_path(dir.file("tone.txt").c_str()));  // as after a TXT save
    window->command_action(CMD_PLAY_WAVE)->trigger();
    QWidget* player = wave_player_window();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->windowTitle().endsWith(QStringLiteral("tone.wav"))) << player->windowTitle().toStdString();
    EXPECT_EQ(player->parentWidget(), window.get());
    EXPECT_TRUE(player->isWindow());
    ASSERT_NE(player->windowHandle(), nullptr);
    EXPECT_EQ(player->windowHandle()->transientParent(), window->windowHandle());
    window->command_action(CMD_STOP_PLAYBACK)->trigger();

    reset_wave_data();
    window->run_prologue();
    EXPECT_FALSE(window->command_action(CMD_PLAY_WAVE)->isEnabled()) << "no WAV loaded, nothing to play";
}

TEST_F(WavePlayer, ClosingTheMainWindowClosesThePlayer)
{
    window->command_action(CMD_PLAY_WAVE)->trigger();
    ASSERT_NE(wave_player_window(), nullptr);
    window->close();
    EXPECT_EQ(wave_player_window(), nullptr);
    EXPECT_EQ(wave_playing, 0);
    EXPECT_EQ(playback_state, 0);
}

TEST_F(WavePlayer, ClosingThePlayerWindowReturnsToIdle)
{
    window->command_action(CMD_PLAY_WAVE)->trigger();
    QWidget* player = wave_player_window();
    ASSERT_NE(player, nullptr);
    player->close();
    ASSERT_TRUE(uitest::wait_until([] { return playback_state == 0; }, 5000));
    EXPECT_FALSE(window->command_action(CMD_STOP_PLAYBACK)->isEnabled());
}

TEST_F(WavePlayer, MidiPlaybackReturnsToIdleByItselfAtTheEnd)
{
    set_midi_backends({recording_midi_backend()});
    playback_timer = {[](uint32_t, void (*)()) { return true; }, [] {}, [](uint32_t) {}};
    test::load_events({test::event(0, 0x90, 60, 100), test::event(10, 0x80, 60)});
    window->run_prologue();
    window->command_action(CMD_PLAY_MIDI)->trigger();
    EXPECT_EQ(playback_state, 2);
    EXPECT_EQ(conversion_status.document_state, 2);
    window->run_prologue();
    EXPECT_TRUE(window->command_action(CMD_STOP_PLAYBACK)->isEnabled());
    // One player at a time: each play command stops the other first, so the stop command
    // always reaches what plays.
    window->command_action(CMD_PLAY_WAVE)->trigger();
    EXPECT_FALSE(midi_playback_running());
    EXPECT_NE(wave_player_window(), nullptr);
    EXPECT_EQ(playback_state, 1);
    window->command_action(CMD_PLAY_MIDI)->trigger();
    EXPECT_EQ(wave_player_window(), nullptr);
    EXPECT_EQ(playback_state, 2);
    EXPECT_TRUE(midi_playback_running());
    while (!midi_player.end_reached.load())
        player_tick();  // the timer's work, done here
    ASSERT_TRUE(uitest::wait_until([] { return playback_state == 0; }, 5000));
    EXPECT_FALSE(window->command_action(CMD_STOP_PLAYBACK)->isEnabled());
    window.reset();
    reset_midi_player();
    reset_playback_timer();
    set_midi_backends({});
}

} // namespace
