#include <gtest/gtest.h>

#include <string>

#include "core/messages.h"
#include "core/status.h"
#include "shell/file_dialog_rules.h"
#include "support/test_support.h"

namespace {

TEST(SaveDialog, RewritesTheThreeCharactersAfterTheLastDot)
{
    struct Row {
        const char* before;
        FileKind kind;
        const char* after;
    };
    const Row rows[] = {
        {"/music/song.wav", FileKind::Text, "/music/song.txt"},
        {"/music/song.txt", FileKind::Smf, "/music/song.mid"},
        {"/music/song.MID", FileKind::Wave, "/music/song.wav"},
        {"/music/x.wave", FileKind::Text, "/music/x.txte"},       // exactly three replaced
        {"/my.dir/song", FileKind::Text, "/my.txt/song"},         // the dot of a directory
        {"/music/a.b", FileKind::Smf, "/music/a.mid"},            // a short extension grows
        {"/music/end.", FileKind::Text, "/music/end.txt"},
        {"/music/song", FileKind::Text, "/music/song"},           // no dot: left as it is
        {"", FileKind::Text, ""},
        {"/楽曲/歌.wav", FileKind::Smf, "/楽曲/歌.mid"},
    };
    for (const Row& r : rows) {
        test::reset_engine_state();
        ASSERT_TRUE(set_current_path(r.before));
        propose_save_extension(r.kind);
        EXPECT_STREQ(conversion_status.current_path, r.after) << r.before;
    }
}

TEST(SaveDialog, StaysInsideTheBufferAtItsEnd)
{
    test::reset_engine_state();
    constexpr size_t dot = PATH_CAPACITY - 4;  // the extension may only use the next two bytes
    std::string path(dot + 1, 'a');
    path[dot] = '.';
    ASSERT_TRUE(set_current_path(path.c_str()));
    propose_save_extension(FileKind::Text);
    EXPECT_EQ(std::string(conversion_status.current_path), std::string(dot, 'a') + ".tx");
    EXPECT_EQ(conversion_status.current_path[PATH_CAPACITY - 1], '\0');
}

TEST(FileDialogs, EachKindHasOneFilterEntry)
{
    EXPECT_STREQ(file_kind_info(FileKind::Wave).description, "WAV files {*.wav}");
    EXPECT_STREQ(file_kind_info(FileKind::Text).pattern, "*.txt");
    EXPECT_STREQ(file_kind_info(FileKind::Smf).extension, "mid");
}

std::string last_message;

TEST(FileDialogs, AChosenPathLongerThanTheBufferIsRefusedWithAMessage)
{
    test::reset_engine_state();
    message_hook = [](const char*, const char* text) { last_message = text; };
    ASSERT_TRUE(store_chosen_path("/old/song.wav"));
    // 1365 Japanese characters take 4095 bytes: with "/x/" and ".wav" the path passes 4095.
    std::string name;
    for (int i = 0; i < 1365; ++i)
        name += "音";
    EXPECT_FALSE(store_chosen_path("/x/" + name + ".wav"));
    EXPECT_STREQ(conversion_status.current_path, "/old/song.wav");
    EXPECT_EQ(last_message, PATH_TOO_LONG_TEXT);
    const std::string fits = "/" + std::string(4094, 'a');  // exactly 4095 bytes, once refused over 255
    EXPECT_TRUE(store_chosen_path(fits));
    EXPECT_EQ(std::string(conversion_status.current_path), fits);
    message_hook = nullptr;
}

} // namespace
