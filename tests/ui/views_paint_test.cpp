// The two views painted into images on the offscreen platform, checked at the pixels the
// views define.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstring>
#include <vector>

#include "core/settings.h"
#include "core/status.h"
#include "support/midi_events.h"
#include "support/view_state.h"
#include "ui/client_view.h"
#include "ui/views/piano_roll_view.h"
#include "views/display_settings.h"
#include "wave/wav_reader.h"

namespace {

using test::event;

const QColor WHITE(255, 255, 255);
const QColor BLACK(0, 0, 0);
const QColor WAVE_GREEN(0, 100, 0);
const QColor AXIS_GREY(50, 50, 50);
const QColor LIGHT_GREY(150, 150, 150);
const QColor MEDIUM_GREY(80, 80, 80);
const QColor OUTLINE_GREEN(0, 128, 0);

struct Pixel {
    int x, y;
    QColor colour;
};

class ViewsPaint : public test::ViewStateTest {
protected:
    // Paints the view of document_state into an 800 x 600 client area.
    QImage paint(int document_state)
    {
        conversion_status.document_state = document_state;
        QImage image(800, 600, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        status = paint_document_view(painter, 800, 600);
        return image;
    }

    static void expect_pixels(const QImage& image, const std::vector<Pixel>& pixels)
    {
        for (const Pixel& p : pixels)
            EXPECT_EQ(image.pixelColor(p.x, p.y).name(), p.colour.name()) << "at " << p.x << "," << p.y;
    }

    // Notes 60 (C4) to 71 in twelve rows of 48 pixels; TIME_UNIT 1000.
    static void roll_of(const std::vector<MidiEvent>& events)
    {
        conversion_settings.TIME_UNIT = 1000;
        display_settings.display_note_low = 60;
        display_settings.display_note_high = 71;
        test::load_events(events);
    }

    QString status;
};

} // namespace

// From C#4 (a black key) to C5: the black pass starts with C#, the white-key outlines
// leave it free, and below the range the strip stays white.
TEST_F(ViewsPaint, KeyboardFromABlackKey)
{
    roll_of({event(0, 0x90, 64, 64), event(1000, 0x80, 64)});
    display_settings.display_note_low = 61;
    display_settings.display_note_high = 72;
    const QImage image = paint(2);
    expect_pixels(image, {
        {7, 530, BLACK},   // C# 61: rows 504 to 551, columns 0 to 14
        {7, 503, WHITE},   // its top edge: D's interior
        {20, 530, WHITE},  // right of C#: no white key
        {15, 520, WHITE},
        {0, 480, BLACK},   // D 62: outline from 432 to 527
        {29, 432, BLACK},
        {20, 480, WHITE},
        {7, 440, BLACK},   // D# 63 over D's outline
        {29, 527, BLACK},
    });
    EXPECT_TRUE(status.startsWith(QStringLiteral("MIDIファイル:")));
    EXPECT_FALSE(status.endsWith(QLatin1Char('\n')));
}

// Every pitch class fills its bar with its own colour.
TEST_F(ViewsPaint, PitchClassColours)
{
    std::vector<MidiEvent> events;
    for (int pc = 0; pc < 12; ++pc) {
        events.push_back(event(pc * 100, 0x90, 60 + pc, 64));
        events.push_back(event(pc * 100 + 100, 0x80, 60 + pc));
    }
    roll_of(events);
    const QImage image = paint(2);
    for (int pc = 0; pc < 12; ++pc) {
        const int x = 30 + (pc * 100 + 50) * 771 / 1200;
        const int y = (71 - 60 - pc) * 48 + 20;  // inside the bar, off the note line
        EXPECT_EQ(image.pixelColor(x, y).name(), PITCH_CLASS_COLOURS[static_cast<size_t>(pc)].name()) << pc;
    }
}

// E4's line lies at y 336, its neighbours' at 288 and 384: v 32 reaches half a row each
// way, v 64 and above a whole row. The outline is black, 1 pixel, right and bottom edges
// exclusive.
TEST_F(ViewsPaint, BarHeightFollowsVelocity)
{
    roll_of({event(0, 0x90, 64, 32), event(100, 0x80, 64), event(200, 0x90, 64, 64), event(300, 0x80, 64),
             event(400, 0x90, 64, 127), event(500, 0x80, 64)});
    const QImage image = paint(2);
    const QColor e = PITCH_CLASS_COLOURS[4];
    struct Case { int velocity, x, top, bottom; };
    const Case cases[] = {{32, 30 + 50 * 771 / 500, 312, 359}, {64, 30 + 250 * 771 / 500, 288, 383},
                          {127, 30 + 450 * 771 / 500, 288, 383}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.velocity);
        expect_pixels(image, {{c.x, c.top - 1, WHITE}, {c.x, c.top, BLACK}, {c.x, c.top + 1, e},
                              {c.x, c.bottom - 1, e}, {c.x, c.bottom, BLACK}, {c.x, c.bottom + 1, WHITE}});
    }
    expect_pixels(image, {{30, 330, BLACK}, {30 + 100 * 771 / 500 - 1, 330, BLACK}, {30 + 100 * 771 / 500, 330, WHITE}});
}

// The selected note's bar: a 5-pixel green band centred on the outline's pixels.
TEST_F(ViewsPaint, SelectedNoteOutline)
{
    roll_of({event(0, 0x90, 64, 64), event(250, 0x80, 64), event(500, 0x90, 60, 64), event(1000, 0x80, 60)});
    midi_event_list.selected_on = 0;
    midi_event_list.selected_off = 1;
    const QImage image = paint(2);
    const QColor e = PITCH_CLASS_COLOURS[4];
    const int right = 30 + 250 * 771 / 1000 - 1;  // the outline's column, 221
    expect_pixels(image, {
        {100, 285, WHITE}, {100, 286, OUTLINE_GREEN}, {100, 290, OUTLINE_GREEN}, {100, 291, e},
        {100, 381, OUTLINE_GREEN}, {100, 385, OUTLINE_GREEN}, {100, 386, WHITE},
        {28, 330, OUTLINE_GREEN}, {32, 330, OUTLINE_GREEN}, {33, 330, e},
        {right - 3, 330, e}, {right - 2, 330, OUTLINE_GREEN}, {right + 2, 330, OUTLINE_GREEN},
        {right + 3, 330, WHITE},
        {600, 480, BLACK},  // the other note keeps the black outline (C4 at 528, top row 480)
    });
}

// 771 pixels for 11014 ticks at 1000 per second: a step of exactly 70 pixels. Light lines,
// medium every 5th second, a 2-pixel black line every 10th (the column left of it too).
TEST_F(ViewsPaint, SecondGrid)
{
    roll_of({event(0, 0x90, 60, 64), event(0, 0x80, 60), event(11014, 0xB0, 11, 127)});
    const QImage image = paint(2);
    expect_pixels(image, {
        {100, 20, LIGHT_GREY}, {101, 20, WHITE}, {99, 20, WHITE}, {100, 559, LIGHT_GREY},
        {380, 20, MEDIUM_GREY}, {729, 20, BLACK}, {730, 20, BLACK}, {731, 20, WHITE},
        // White-key note lines only: B4 at the top, A4 (69) strong, C4 medium.
        {400, 0, LIGHT_GREY}, {400, 48, WHITE}, {400, 95, BLACK}, {400, 96, BLACK}, {400, 97, WHITE},
        {400, 192, LIGHT_GREY}, {400, 240, WHITE}, {400, 528, MEDIUM_GREY},
    });
    bool label_ink = false;  // "1 [sec]" at (100, 560)
    for (int x = 100; x < 150; ++x)
        for (int y = 560; y < 576; ++y)
            label_ink = label_ink || image.pixelColor(x, y).blue() > image.pixelColor(x, y).red() + 20;
    EXPECT_TRUE(label_ink);
}

// A span of 0 or an upside-down note range draws a frame and returns; an empty list draws
// nothing and keeps the status line.
TEST_F(ViewsPaint, DegenerateRollsDrawAndReturn)
{
    roll_of({event(0, 0x90, 60, 64), event(0, 0x80, 60)});
    paint(2);
    EXPECT_FALSE(status.isNull());
    display_settings.display_note_low = 0;
    display_settings.display_note_high = -1;
    display_settings.display_end_ms = 2147483647;
    paint(2);
    EXPECT_FALSE(status.isNull());
    test::load_events({});
    const QImage image = paint(2);
    EXPECT_TRUE(status.isNull());
    EXPECT_EQ(image.pixelColor(400, 300).name(), WHITE.name());
}

// Mono: one strip with a min-max stroke per column, the 2-pixel axes in grey.
TEST_F(ViewsPaint, WaveformStrokes)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < 771 * 4; ++i)
        samples.push_back(i % 2 ? -16384 : 16384);  // y 144 and 432
    wave_data.samples = samples;
    wave_data.frame_count = static_cast<int32_t>(samples.size());
    std::strcpy(wave_data.wave_name, "take.wav");
    const QImage image = paint(1);
    expect_pixels(image, {
        {100, 143, WHITE}, {100, 144, WAVE_GREEN}, {100, 300, WAVE_GREEN}, {100, 432, WAVE_GREEN},
        {100, 433, WHITE},
        {29, 200, AXIS_GREY}, {30, 200, WAVE_GREEN}, {31, 200, WAVE_GREEN},
        {10, 287, AXIS_GREY}, {10, 288, AXIS_GREY}, {10, 289, WHITE}, {10, 286, WHITE},
    });
    EXPECT_TRUE(status.startsWith(QStringLiteral("WAVEファイル:take.WAV サンプリング周波数:44100[Hz]")));
}

// Stereo: two half-height strips; the lower one begins at row 288.
TEST_F(ViewsPaint, WaveformStereoStrips)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < 2000; ++i)
        samples.insert(samples.end(), {16384, -16384});
    wave_data.samples = samples;
    wave_data.frame_count = 2000;
    wave_data.channels = 2;
    const QImage image = paint(1);
    expect_pixels(image, {
        {400, 72, WAVE_GREEN}, {400, 71, WHITE},      // left: half 144, y = 144 - 72
        {400, 504, WAVE_GREEN}, {400, 505, WHITE},    // right: 288 + 144 + 72
        {10, 143, AXIS_GREY}, {10, 144, AXIS_GREY},   // the two centre lines
        {10, 431, AXIS_GREY}, {10, 432, AXIS_GREY},
        {29, 286, AXIS_GREY}, {29, 287, WHITE}, {29, 288, AXIS_GREY},
    });
    bool label_ink = false;  // "L-channel" at (40, 5)
    for (int x = 40; x < 80; ++x)
        for (int y = 5; y < 21; ++y)
            label_ink = label_ink || image.pixelColor(x, y).lightness() < 100;
    EXPECT_TRUE(label_ink);
}
