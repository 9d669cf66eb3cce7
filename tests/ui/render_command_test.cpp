// Tonagram --render end to end: files converted by the console converter, drawn offscreen
// into PNGs; bad requests get one line on standard error and no PNG.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <string>

#include "signal/wav_synth.h"
#include "support/test_support.h"

namespace {

const std::string gui_exe = TONAGRAM_GUI_EXE;
const std::string batch_exe = TONAGRAM_BATCH_EXE;

class RenderCommand : public ::testing::Test {
protected:
    test::CommandResult render(const std::string& arguments)
    {
        return test::run_command("cd '" + dir.path().string() + "' && '" + gui_exe + "' --render " + arguments);
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }

    test::TempDir dir;
};

} // namespace

TEST_F(RenderCommand, DrawsBothViewsOfAConvertedRecording)
{
    // A third of a second of A4 on the left and E5 on the right.
    const auto left = synth::sine(440.0, 12000.0, 14700);
    const auto right = synth::sine(659.26, 12000.0, 14700);
    ASSERT_TRUE(synth::write_wav(dir.file("take.wav"), {.channels = 2}, synth::interleave(left, right)));
    ASSERT_EQ(test::run_command("cd '" + dir.path().string() + "' && '" + batch_exe + "' take").exit_status, 0);

    struct Case { std::string input, size; int width, height; std::string status; };
    const Case cases[] = {
        {"take.wav", "", 800, 600,
         "WAVEファイル:take.WAV サンプリング周波数:44100[Hz] 量子化ビット長:16[bits] チャンネル数:2 演奏時間:333[msec]\n"},
        {"take.txt", "--size 320x240", 320, 240, "MIDIファイル:take.TXT イベント数:"},
        {"take.mid", "--size 1x1", 1, 1, "MIDIファイル:take.TXT イベント数:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const test::CommandResult result = render(c.input + " out.png " + c.size);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.output.rfind(c.status, 0), 0u) << result.output;
        const QImage image(QString::fromStdString(dir.file("out.png")));
        EXPECT_EQ(image.width(), c.width);
        EXPECT_EQ(image.height(), c.height);
        std::filesystem::remove(dir.file("out.png"));
    }
}

TEST_F(RenderCommand, BadRequestsFailWithOneLineAndNoPng)
{
    test::write_text(dir.file("notes.doc"), "x");
    test::write_text(dir.file("broken.mid"), "MThd");
    test::write_text(dir.file("empty.txt"), "Version 645\n0\n1536\n");
    ASSERT_TRUE(synth::write_wav(dir.file("empty.wav"), {}, {}));
    const std::string requests[] = {
        "",
        "missing.wav out.png",
        "notes.doc out.png",
        "broken.mid out.png",
        "empty.txt out.png",
        "empty.wav out.png",
        "missing.wav",
        "notes.doc out.jpg",
        "broken.mid out.png --size 0x5",
        "broken.mid out.png --size 800x",
        "broken.mid out.png --size",
        "broken.mid out.png --colour red",
        "broken.mid /no/such/dir/out.png",
    };
    for (const std::string& request : requests) {
        const test::CommandResult result = render(request);
        EXPECT_NE(result.exit_status, 0) << request;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << request << ": " << result.output;
        EXPECT_EQ(result.output.rfind("Tonagram --render: ", 0), 0u) << result.output;
        EXPECT_FALSE(exists("out.png")) << request;
    }
}
