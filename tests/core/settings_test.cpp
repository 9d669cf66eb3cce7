#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/ini_file.h"
#include "core/settings.h"
#include "core/settings_location.h"
#include "support/test_support.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine_state(); }
    void TearDown() override { test::reset_engine_state(); }
    void load(const std::string& text)
    {
        test::write_text(ini, text);
        load_settings_from(ini);
    }
    test::TempDir dir;
    std::string ini = dir.file("Tonagram.ini");
};

TEST_F(SettingsFile, MissingFileGivesBuiltInValues)
{
    conversion_settings.FFT_SIZE = 1;
    midi_output_settings.PROGRAM = 9;
    EXPECT_EQ(load_settings_from(dir.file("absent.ini")), 1);
    EXPECT_EQ(midi_output_settings.PROGRAM, 1);
    EXPECT_EQ(midi_output_settings.VOLUME, 127);
    EXPECT_EQ(conversion_settings.FFT_SIZE, 4096);
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1536);
    EXPECT_EQ(conversion_settings.BIT_RATE, 9000);
    EXPECT_EQ(conversion_settings.VR_INTERVAL, 1);
    EXPECT_EQ(conversion_settings.FINE_NOTE, 0);
    EXPECT_EQ(conversion_settings.OVERTONE_CORRECT, 0);
    EXPECT_EQ(conversion_settings.FLT_CONNECT, 0);
}

// A number reads like atoi of the value's first seven characters; a flag is on only for
// exactly one.
TEST_F(SettingsFile, NumbersConvertLikeAtoiAndFlagsAreOnOnlyForOne)
{
    struct Key {
        const char* line;  // section and key, up to the value
        int32_t ConversionSettings::*field;
    };
    const Key number{"[CONV2]\nBIT_RATE=", &ConversionSettings::BIT_RATE};
    const Key flag{"[CONV1]\nFINE_NOTE=", &ConversionSettings::FINE_NOTE};
    const struct {
        Key key;
        const char* text;
        int32_t value;
    } cases[] = {
        {number, "123456789", 1234567}, {number, "-5", -5},  {number, "+7", 7},    {number, "12abc", 12},
        {number, "abc", 0},             {number, "", 0},     {number, "  42  ", 42}, {number, "-123456789", -123456},
        {flag, "1", 1},                 {flag, " 1", 1},     {flag, "2", 0},       {flag, "yes", 0},
        {flag, "0", 0},                 {flag, "01", 1},     {flag, "-1", 0},
    };
    for (const auto& c : cases) {
        load(std::string(c.key.line) + c.text + "\n");
        EXPECT_EQ(conversion_settings.*c.key.field, c.value) << c.key.line << '"' << c.text << '"';
    }
}

// Each text loaded into built-in values, and the fields it must leave.
TEST_F(SettingsFile, LoadingTakesKeysAsWritten)
{
    ConversionSettings& c = conversion_settings;
    struct Field {
        const char* name;
        const int32_t* value;
        int32_t expected;
    };
    const struct {
        const char* rule;
        const char* text;
        std::vector<Field> fields;
    } cases[] = {
        {"an empty value loads as zero, a missing key as built in",
         "[CONV2]\nVR_INTERVAL=\nTIME_UNIT=\n",
         {{"VR_INTERVAL", &c.VR_INTERVAL, 0}, {"TIME_UNIT", &c.TIME_UNIT, 0}, {"BIT_RATE", &c.BIT_RATE, 9000}}},
        {"names compare without case and values are trimmed",
         "; comment\r\n[conv2]\r\n  key_min =  30 \r\n[Midi]\r\nprogram=5\r\n",
         {{"KEY_MIN", &c.KEY_MIN, 30}, {"PROGRAM", &midi_output_settings.PROGRAM, 5}}},
        {"keys are read only from their own section",
         "[CONV1]\nKEY_MIN=50\n[CONV2]\nFFT_SIZE=1024\n",
         {{"KEY_MIN", &c.KEY_MIN, 21}, {"FFT_SIZE", &c.FFT_SIZE, 4096}}},
        {"loading neither clamps nor compares fields",
         "[CONV2]\nKEY_MIN=120\nKEY_MAX=3\nTIME_UNIT=-4\n",
         {{"KEY_MIN", &c.KEY_MIN, 120}, {"KEY_MAX", &c.KEY_MAX, 3}, {"TIME_UNIT", &c.TIME_UNIT, -4}}},
    };
    for (const auto& k : cases) {
        test::reset_engine_state();
        load(k.text);
        for (const Field& f : k.fields)
            EXPECT_EQ(*f.value, f.expected) << k.rule << ": " << f.name;
    }
}

TEST_F(SettingsFile, SaveFromScratchWritesAllKeysInOrder)
{
    conversion_settings.FINE_NOTE = 7;  // any non-zero flag is saved as 1
    save_settings_to(ini);
    const std::string text = test::read_text(ini);
    EXPECT_EQ(text.find("[MIDI]\nDEVICE=0\nBANK1=0\nBANK2=0\nPROGRAM=1\nVOLUME=127\n[CONV1]\n"), 0u) << text;
    EXPECT_NE(text.find("FINE_NOTE=1\n"), std::string::npos);
    EXPECT_NE(text.find("[CONV2]\nSL_INTERVAL=512\n"), std::string::npos);
    EXPECT_NE(text.find("BIT_RATE=9000\nFLT_CONNECT=0\n"), std::string::npos);
    IniFile parsed = ini_load(ini);
    EXPECT_EQ(parsed.lines.size(), 3u + 28u);
}

TEST_F(SettingsFile, SaveKeepsPlacesCommentsAndForeignKeys)
{
    test::write_text(ini, "; mine\n[CONV2]\nBIT_RATE=1\nOTHER=x\n\n[EXTRA]\nA=b\n");
    conversion_settings.BIT_RATE = 20000;
    save_settings_to(ini);
    IniFile parsed = ini_load(ini);
    ASSERT_GE(parsed.lines.size(), 4u);
    EXPECT_EQ(parsed.lines[0], "; mine");
    EXPECT_EQ(parsed.lines[1], "[CONV2]");
    EXPECT_EQ(parsed.lines[2], "BIT_RATE=20000");
    EXPECT_EQ(parsed.lines[3], "OTHER=x");
    EXPECT_EQ(parsed.lines[4], "SL_INTERVAL=512") << "a new key follows the section's last line";
    EXPECT_EQ(ini_get(parsed, "EXTRA", "A", "?"), "b");
    EXPECT_EQ(ini_get(parsed, "MIDI", "VOLUME", "?"), "127");
}

TEST_F(SettingsFile, SaveThenLoadReproducesEveryField)
{
    ConversionSettings& c = conversion_settings;
    c.FFT_SIZE = 8192;
    c.KEY_MIN = -3;
    c.TIME_UNIT = 9999999;
    c.FINE_NOTE = 1;
    c.VR_INTERVAL = 0;
    midi_output_settings.BANK2 = 12;
    const ConversionSettings saved = c;
    save_settings_to(ini);
    reset_settings();
    load_settings_from(ini);
    EXPECT_EQ(c.FFT_SIZE, saved.FFT_SIZE);
    EXPECT_EQ(c.KEY_MIN, -3);
    EXPECT_EQ(c.TIME_UNIT, 9999999);
    EXPECT_EQ(c.FINE_NOTE, 1);
    EXPECT_EQ(c.VR_INTERVAL, 0);
    EXPECT_EQ(midi_output_settings.BANK2, 12);
}

TEST_F(SettingsFile, UnwritableFileKeepsValuesAndReportsTheFailure)
{
    conversion_settings.FFT_SIZE = 2048;
    EXPECT_EQ(save_settings_to(dir.file("no/such/dir/Tonagram.ini")), 0);
    EXPECT_EQ(conversion_settings.FFT_SIZE, 2048);
    EXPECT_EQ(save_settings_to(ini), 1);
}

TEST_F(SettingsFile, UserFileOverridesTheFileBesideTheExecutableKeyByKey)
{
    const std::string user = dir.file("user.ini");
    test::write_text(ini, "[CONV2]\nTIME_UNIT=1000\nBIT_RATE=1234\n[MIDI]\nVOLUME=99\n");
    test::write_text(user, "[CONV2]\nBIT_RATE=5555\nKEY_MIN=\n");
    EXPECT_EQ(load_settings_from(user, ini), 1);
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1000) << "not saved by the user: from beside";
    EXPECT_EQ(conversion_settings.BIT_RATE, 5555) << "the user's value wins";
    EXPECT_EQ(conversion_settings.KEY_MIN, 0) << "an empty value the user saved is still theirs";
    EXPECT_EQ(midi_output_settings.VOLUME, 99);
    EXPECT_EQ(conversion_settings.FFT_SIZE, 4096) << "in neither file: built in";
    // Without the file beside the executable the user's file and the built-in values remain.
    reset_settings();
    EXPECT_EQ(load_settings_from(user, dir.file("absent.ini")), 1);
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1536);
    EXPECT_EQ(conversion_settings.BIT_RATE, 5555);
}

TEST(SettingsLocation, TheFileBesideTheExecutableOrTheUsersOwn)
{
    const struct {
        const char* name;
        bool writable;
        bool installed;
        const char* xdg;
        const char* home;
        const char* user;  // the expected user file; "" when the settings stay beside
    } cases[] = {
        {"build tree or portable copy", true, false, "/x", "/home/u", ""},
        {"folder the user may not write", false, false, "", "/home/u", "/home/u/.config/tonagram/Tonagram.ini"},
        {"installed, even where writable (root)", true, true, "", "/root", "/root/.config/tonagram/Tonagram.ini"},
        {"XDG_CONFIG_HOME set", false, true, "/cfg", "/home/u", "/cfg/tonagram/Tonagram.ini"},
        {"relative XDG_CONFIG_HOME is ignored", false, true, "cfg", "/home/u", "/home/u/.config/tonagram/Tonagram.ini"},
        {"no home, no XDG_CONFIG_HOME: beside", false, true, "", "", ""},
    };
    for (const auto& c : cases) {
        const SettingsFiles files = choose_settings_files({"/opt/t/bin/", c.writable, c.installed, c.xdg, c.home});
        EXPECT_EQ(files.beside, "/opt/t/bin/Tonagram.ini") << c.name;
        EXPECT_EQ(files.user, c.user) << c.name;
    }
}

TEST(SettingsLocation, TheUsersFolderIsCreatedPrivateAndAFileInTheWayFails)
{
    test::TempDir dir;
    const std::string path = dir.file("config/tonagram/Tonagram.ini");
    EXPECT_TRUE(create_settings_folder(path));
    EXPECT_TRUE(create_settings_folder(path)) << "an existing folder is fine";
    EXPECT_EQ(std::filesystem::status(dir.file("config/tonagram")).permissions(),
              std::filesystem::perms::owner_all);
    test::write_text(dir.file("file"), "x");
    EXPECT_FALSE(create_settings_folder(dir.file("file/tonagram/Tonagram.ini")));
}

TEST_F(SettingsFile, SettingsFileLivesBesideTheExecutable)
{
    const std::string path = settings_file_path();
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(path, exe.substr(0, exe.rfind('/') + 1) + "Tonagram.ini");
}

TEST(Presets, MicrotonalAndSemitone)
{
    test::reset_engine_state();
    apply_microtonal_preset();
    EXPECT_EQ(conversion_settings.SL_DIFFNOTE_ABS, 32);
    EXPECT_EQ(conversion_settings.MAX_HARMONY, 15);
    EXPECT_EQ(conversion_settings.BIT_RATE, 20000);
    apply_semitone_preset();
    EXPECT_EQ(conversion_settings.SL_DIFFNOTE_ABS, 8);
    EXPECT_EQ(conversion_settings.MAX_HARMONY, 32);
    EXPECT_EQ(conversion_settings.BIT_RATE, 9000);
}

} // namespace
