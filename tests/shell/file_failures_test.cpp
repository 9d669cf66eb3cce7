// The failed file commands of the GUI: reads that keep what was loaded, and the Japanese
// message that names the file and the reason.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/text_midi_writer.h"
#include "shell/file_failures.h"
#include "shell/file_reads.h"
#include "shell/wave_player_rules.h"
#include "signal/wav_synth.h"
#include "support/midi_events.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

namespace {

class FileFailures : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine_state(); }
    void TearDown() override { test::reset_engine_state(); }
    test::TempDir dir;
};

TEST_F(FileFailures, ReadReasonsComeFromTheFileSystemTheReaderAndTheContent)
{
    test::write_text(dir.file("empty.wav"), "");
    test::write_text(dir.file("junk.wav"), "this is no RIFF file");
    std::filesystem::create_directory(dir.file("folder.wav"));
    struct Row {
        FileKind kind;
        std::string path;
        bool no_data;
        std::string reader_message;
        std::string reason;
    };
    const Row rows[] = {
        {FileKind::Wave, "", false, "", "ファイル名がありません。"},
        {FileKind::Wave, dir.file("gone.wav"), false, "", "ファイルまたはフォルダが見つかりません。"},
        {FileKind::Wave, dir.file("folder.wav"), false, "", "フォルダです。ファイルを選んでください。"},
        {FileKind::Smf, "/dev/null", false, "", "通常のファイルではありません（デバイスやパイプは読み込めません）。"},
        {FileKind::Wave, dir.file("empty.wav"), false, "", "ファイルが空です。"},
        {FileKind::Wave, dir.file("junk.wav"), true, "", "音声データがありません。"},
        {FileKind::Wave, dir.file("junk.wav"), false, "",
         "対応するWAV形式（PCM 8/16/24/32ビットまたは32ビット浮動小数点）ではないか、内容が壊れています。"},
        {FileKind::Text, dir.file("junk.wav"), true, "",
         "MIDIイベントが見つかりません。TXT形式MIDIファイルではないか、内容が壊れています。"},
        {FileKind::Smf, dir.file("junk.wav"), false, "", "SMF形式MIDIファイルとして読めないか、内容が壊れています。"},
        {FileKind::Smf, dir.file("junk.wav"), true, "", "読み込めるMIDIイベントがありません。"},
        // Whatever the reader said comes first, in Japanese.
        {FileKind::Smf, dir.file("junk.wav"), false, "The file is too large.",
         "処理を続けられませんでした。\n（詳細: The file is too large.）"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(read_failure_reason(r.kind, r.path, r.no_data, r.reader_message), r.reason) << r.path;
}

TEST_F(FileFailures, SaveReasonsNameWhatStoppedTheWrite)
{
    std::filesystem::create_directory(dir.file("song.txt"));
    struct Row {
        const char* what;
        std::string path;
        bool list_empty, smf_problem;
        int error_number;
        std::string reason;
    };
    const Row rows[] = {
        {"nothing to write", dir.file("a.txt"), true, true, 0, "保存するMIDIイベントがありません。"},
        {"a time resolution the SMF cannot hold", dir.file("a.mid"), false, true, 0,
         "出力時間解像度 7 はSMF形式MIDIファイルに書けない値です。TXT形式で保存するか、[MIDI変換]の"
         "「出力時間解像度」を変えて変換し直してください。"},
        {"no such folder", dir.file("none/a.txt"), false, false, ENOENT, "保存先のフォルダがありません。"},
        {"a folder of that name", dir.file("song.txt"), false, false, EISDIR, "同じ名前のフォルダがあります。"},
        {"a full disk", dir.file("a.txt"), false, false, ENOSPC, "ディスクの空き容量が足りません。"},
        {"a read-only medium", dir.file("a.txt"), false, false, EROFS, "読み取り専用の場所です。"},
        {"an error without a text", dir.file("a.txt"), false, false, EXDEV,
         "書き込みに失敗しました（エラー番号 " + std::to_string(EXDEV) + "）。"},
        {"no error reported", dir.file("a.txt"), false, false, 0, "書き込みに失敗しました。"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(save_failure_reason(r.path, r.list_empty, r.smf_problem, 7, r.error_number), r.reason) << r.what;
}

TEST_F(FileFailures, MessagesNameTheFileAndTheReason)
{
    const FailureMessage read = read_failure_message(FileKind::Smf, "/x/曲.mid", "理由A");
    EXPECT_EQ(read.caption, "ファイル読込エラー");
    EXPECT_EQ(read.text, "SMF形式MIDIファイルを読み込めませんでした。\n\nファイル: /x/曲.mid\n理由: 理由A"
                         "\n\n読み込んであったデータはそのままです。");
    const FailureMessage save = save_failure_message(FileKind::Text, "/x/a.txt", "理由B");
    EXPECT_EQ(save.caption, "ファイル保存エラー");
    EXPECT_EQ(save.text, "TXT形式MIDIファイルを保存できませんでした。\n\nファイル: /x/a.txt\n理由: 理由B");
    EXPECT_NE(manual_failure_message("/p/manual.txt", true).text.find("/p/manual.txt"), std::string::npos);
    EXPECT_NE(manual_failure_message("/p/manual.txt", false).text.find("アプリケーション"), std::string::npos);
}

// A failed read leaves the wave, the list, TIME_UNIT and the reader's memory as they were;
// a good read replaces them.
TEST_F(FileFailures, AFailedReadKeepsTheLoadedDataAndAGoodOneReplacesIt)
{
    const std::string wave = dir.file("tone.wav");
    ASSERT_TRUE(synth::write_wav(wave, synth::WavLayout{}, synth::sine(440, 8000, 4410)));
    ASSERT_TRUE(synth::write_wav(dir.file("silent.wav"), synth::WavLayout{}, {}));
    test::write_text(dir.file("junk.mid"), "MThd junk");
    test::write_text(dir.file("junk.txt"), "nothing here");
    test::load_events({test::event(0, 0x90, 60, 100), test::event(100, 0x80, 60)});
    ASSERT_GT(write_text_midi(dir.file("good.txt").c_str()), 0);

    ASSERT_FALSE(read_wave_keeping_old(wave).failed);
    conversion_settings.TIME_UNIT = 1000;
    test::load_events({test::event(0, 0x90, 62, 90), test::event(10, 0x80, 62),
                       test::event(20, 0x90, 64, 90), test::event(30, 0x80, 64)});
    midi_event_list.selected_on = 0;
    midi_event_list.selected_off = 1;

    struct Row {
        FileKind kind;
        std::string path;
        bool failed, no_data;
    };
    const Row rows[] = {
        {FileKind::Wave, dir.file("gone.wav"), true, false},
        {FileKind::Wave, dir.file("junk.txt"), true, false},
        {FileKind::Wave, dir.file("silent.wav"), true, true},
        {FileKind::Text, dir.file("gone.txt"), true, true},
        {FileKind::Text, dir.file("junk.txt"), true, true},
        {FileKind::Smf, dir.file("junk.mid"), true, false},
        {FileKind::Smf, dir.file("gone.mid"), true, false},
    };
    const uint32_t messages = shown_message_count;
    for (const Row& r : rows) {
        const ReadAttempt a = r.kind == FileKind::Wave ? read_wave_keeping_old(r.path)
                                                       : read_list_keeping_old(r.kind, r.path);
        EXPECT_EQ(a.failed, r.failed) << r.path;
        EXPECT_EQ(a.no_data, r.no_data) << r.path;
        EXPECT_EQ(wave_data.frame_count, 4410) << r.path;
        EXPECT_STREQ(wave_data.wave_name, wave.c_str()) << r.path;
        EXPECT_EQ(wave_player_path(), wave) << r.path;
        EXPECT_EQ(test::describe_list().size(), 4u) << r.path;
        EXPECT_EQ(midi_event_list.selected_on, 0) << r.path;
        EXPECT_EQ(conversion_settings.TIME_UNIT, 1000) << r.path;
    }
    EXPECT_EQ(shown_message_count, messages) << "no reader message was shown on its own";

    const ReadAttempt good = read_list_keeping_old(FileKind::Text, dir.file("good.txt"));
    EXPECT_FALSE(good.failed);
    EXPECT_EQ(midi_event_list.event_count, 2);
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1536);
    EXPECT_EQ(midi_event_list.max_polyphony, 1);
    reset_wave_data();
    EXPECT_EQ(wave_player_path(), "") << "nothing to play without a loaded wave";
}

} // namespace
