#include <gtest/gtest.h>

#include <string>

#include "shell/gui_messages.h"

namespace {

TEST(GuiMessages, EngineTextsBecomeJapaneseWithTheFileTheyName)
{
    struct Row {
        std::string engine;
        std::string shown;
    };
    const Row rows[] = {
        {"TIME_UNIT (time resolution per second) must be 1 or more.", TIME_UNIT_REFUSED_TEXT},
        {"KEY_MIN must not be above KEY_MAX.", KEY_ORDER_REFUSED_TEXT},
        {"KEY_MIN and KEY_MAX must be MIDI notes from 0 to 127.", KEY_RANGE_REFUSED_TEXT},
        {"FFT_SIZE (analysis frame width) must be from 32 to 32768 samples.", FFT_SIZE_REFUSED_TEXT},
        {"Cannot create the analysis file \"/tmp/曲.fft\".", "解析ファイル「/tmp/曲.fft」を作成できません。"},
        {"The analysis file \"a.fft\" could not be written completely.",
         "解析ファイル「a.fft」を最後まで書き込めませんでした。"},
        {"Cannot name the analysis file for \"x.fft\": the file name needs an extension other "
         "than .fft, such as .wav.",
         "「x.fft」の解析ファイル名を作れません。.wav など .fft 以外の拡張子の付いたファイル名にしてください。"},
        // Japanese stays; English nobody translated still gets a Japanese lead.
        {"MIDIノートオフ・バッファサイズを超えました。", "MIDIノートオフ・バッファサイズを超えました。"},
        {"Some new problem.", "処理を続けられませんでした。\n（詳細: Some new problem.）"},
        {"", ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(gui_message_text(r.engine), r.shown) << r.engine;
}

} // namespace
