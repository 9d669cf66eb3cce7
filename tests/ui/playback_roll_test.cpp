#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include "core/settings.h"
#include "playback/midi_player.h"
#include "playback/playback_timer.h"
#include "playback/recording_midi_output.h"
#include "support/midi_events.h"
#include "support/view_state.h"
#include "ui/playback_roll.h"
#include "views/display_settings.h"

namespace {

// How many pixels of the canvas have this colour.
int count_colour(const QPixmap& canvas, QRgb colour)
{
    const QImage image = canvas.toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

// The outline roll appears at start with its status line; a sent note-on marks its key red
// and its note-off restores the key and draws the coloured bar over the grey one; at the end the UI thread stops
// the player and says so.
class PlaybackRollTest : public test::ViewStateTest {
protected:
    void TearDown() override
    {
        reset_midi_player();
        reset_playback_timer();
        set_midi_backends({});
        test::ViewStateTest::TearDown();
    }
};

TEST_F(PlaybackRollTest, PaintsWhatThePlayerHandsOverAndStopsAtTheEnd)
{
    reset_midi_player();
    reset_midi_recording();
    set_midi_backends({recording_midi_backend()});
    playback_timer = {[](uint32_t, void (*)()) { return true; }, [] {}, [](uint32_t) {}};
    display_settings.display_start_ms = 300;
    test::load_events({test::event(0, 0x90, 62, 100), test::event(1536, 0x80, 62)});

    PlaybackRoll roll;
    roll.set_client_size(QSize(400, 300));
    QStringList status;
    int stopped = 0;
    QObject::connect(&roll, &PlaybackRoll::status_line, [&](const QString& line) { status << line; });
    QObject::connect(&roll, &PlaybackRoll::playback_stopped, [&] { ++stopped; });
    start_midi_playback();
    roll.drain();
    EXPECT_EQ(roll.canvas().size(), QSize(400, 300));
    EXPECT_EQ(display_settings.display_start_ms, 0);
    ASSERT_EQ(status.size(), 1);
    EXPECT_TRUE(status.front().startsWith(QStringLiteral("MIDIファイル:"))) << status.front().toStdString();
    const QRgb red = qRgb(255, 0, 0);      // a sounding key
    const QRgb yellow = qRgb(255, 255, 0); // the bar of a D
    const int grey_before = count_colour(roll.canvas(), qRgb(150, 150, 150));
    EXPECT_EQ(count_colour(roll.canvas(), red), 0);

    for (int tick = 0; tick <= 50; ++tick)
        player_tick();
    roll.drain();
    EXPECT_GT(count_colour(roll.canvas(), red), 0);  // the key mark

    while (!midi_player.end_reached.load())
        player_tick();
    roll.drain();
    EXPECT_EQ(count_colour(roll.canvas(), red), 0);  // the key restored
    EXPECT_GT(count_colour(roll.canvas(), yellow), 0);
    EXPECT_LT(count_colour(roll.canvas(), qRgb(150, 150, 150)), grey_before);
    EXPECT_FALSE(midi_playback_running());
    roll.drain();
    EXPECT_EQ(stopped, 1);
}

} // namespace
