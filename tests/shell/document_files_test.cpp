#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/commands.h"
#include "shell/document_files.h"

namespace {

TEST(DocumentFiles, TheExtensionChoosesTheReadCommand)
{
    struct Case {
        const char* path;
        std::optional<FileKind> kind;
    };
    const Case cases[] = {
        {"song.wav", FileKind::Wave}, {"/a b/Song.WAV", FileKind::Wave}, {"x.txt", FileKind::Text},
        {"x.Txt", FileKind::Text},    {"dir.mid/x.mid", FileKind::Smf},  {"X.MID", FileKind::Smf},
        {"x.midi", std::nullopt},     {"x.mp3", std::nullopt},           {"dir.wav/x", std::nullopt},
        {".wav", std::nullopt},       {"", std::nullopt},                {"wav", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(document_kind(c.path), c.kind) << c.path;
    EXPECT_EQ(read_command_of(FileKind::Wave), CMD_READ_WAVE);
    EXPECT_EQ(read_command_of(FileKind::Text), CMD_READ_TEXT);
    EXPECT_EQ(read_command_of(FileKind::Smf), CMD_READ_SMF);
}

TEST(DocumentFiles, MessagesNameTheFileInJapanese)
{
    EXPECT_NE(unknown_kind_text("a.mp3").find("「a.mp3」は開けません"), std::string::npos);
}

TEST(GuiArguments, OneFileHelpVersionAndMistakes)
{
    struct Case {
        std::vector<std::string> arguments;
        GuiAction action;
        std::string file;
    };
    const Case cases[] = {
        {{}, GuiAction::Run, ""},
        {{"My Song.wav"}, GuiAction::Run, "My Song.wav"},
        {{"--", "-odd.mid"}, GuiAction::Run, "-odd.mid"},
        {{"-"}, GuiAction::Run, "-"},
        {{"a.wav", "--help"}, GuiAction::Help, "a.wav"},
        {{"--version"}, GuiAction::Version, ""},
        {{"--help", "--version"}, GuiAction::Help, ""},
        {{"--bogus"}, GuiAction::Error, ""},
        {{"a.wav", "b.wav"}, GuiAction::Error, "a.wav"},
        {{"--", "--help"}, GuiAction::Run, "--help"},
    };
    for (const Case& c : cases) {
        const GuiRequest r = parse_gui_arguments(c.arguments);
        EXPECT_EQ(r.action, c.action) << c.arguments.size();
        EXPECT_EQ(r.file, c.file);
        EXPECT_EQ(r.error.empty(), c.action != GuiAction::Error) << r.error;
    }
}

} // namespace
