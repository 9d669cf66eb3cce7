#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <cstdlib>

#include "conversion/conversion_driver.h"
#include "core/settings.h"
#include "shell/conversion_dialogs.h"
#include "shell/gui_messages.h"
#include "support/test_support.h"

namespace {

// Field texts of a dialog as a map the tests edit before pressing a button.
struct Fields {
    std::map<int32_t, std::string> text;
    ControlTexts reader() const
    {
        return [this](int32_t id) {
            const auto it = text.find(id);
            return it == text.end() ? std::string() : it->second;
        };
    }
};

Fields fields_of(const std::vector<ControlText>& shown)
{
    Fields f;
    for (const ControlText& t : shown)
        f.text[t.id] = t.text;
    return f;
}

bool checked(const std::vector<ControlCheck>& checks, int32_t id)
{
    for (const ControlCheck& c : checks) {
        if (c.id == id)
            return c.checked;
    }
    ADD_FAILURE() << "no check box " << id;
    return false;
}

class SettingsDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        ini = dir.file("Tonagram.ini");
        ini_path = ini;
        save_all_settings = [] { return save_settings_to(ini_path); };
    }
    void TearDown() override
    {
        save_all_settings = save_settings;
        test::reset_engine_state();
    }
    test::TempDir dir;
    std::string ini;
    static inline std::string ini_path;
};

TEST_F(SettingsDialogs, AnalysisDialogButtonsActAtOnceAndNumbersOnlyOnOk)
{
    ConversionSettings& s = conversion_settings;
    s.FFT_SIZE = 3000;
    Fields f = fields_of(open_analysis_dialog());
    EXPECT_EQ(f.text[1004], "3000");
    EXPECT_EQ(f.text[1005], "150");
    // 1054 steps the frame width at once: 3000 -> 4096 -> 8192 -> 1024 -> 2048 -> 4096.
    for (const char* expected : {"4096", "8192", "1024", "2048", "4096"}) {
        const DialogPress p = press_analysis_dialog(1054, f.reader());
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(p.shown[0].id, 1004);
        EXPECT_EQ(p.shown[0].text, expected);
        EXPECT_EQ(p.result, 0);
    }
    // Microtonal analysis writes VARY_RATE into 1005 at once, and cancel keeps it.
    DialogPress p = press_analysis_dialog(1025, f.reader());
    EXPECT_EQ(s.FINE_NOTE, 1);
    EXPECT_EQ(s.VARY_RATE, 500);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].id, 1005);
    EXPECT_EQ(p.shown[0].text, "500");
    press_analysis_dialog(1024, f.reader());
    press_analysis_dialog(1027, f.reader());
    EXPECT_TRUE(checked(analysis_dialog_checks(), 1024));
    f.text[1008] = "5";
    EXPECT_EQ(press_analysis_dialog(2, f.reader()).result, 2);
    EXPECT_EQ(s.FINE_NOTE, 1);
    EXPECT_EQ(s.VARY_RATE, 500);
    EXPECT_EQ(s.OVERTONE_CORRECT, 1);
    EXPECT_EQ(s.FUNDAMENTAL_CORRECT, 1);
    EXPECT_EQ(s.MAX_OVERTONE, 2) << "cancel reads no number box";

    f = fields_of(open_analysis_dialog());
    f.text[1003] = "80";
    f.text[1008] = "junk";
    f.text[1009] = "-3";
    EXPECT_EQ(press_analysis_dialog(1, f.reader()).result, 1);
    EXPECT_EQ(s.OVERTONE_LEVEL, 80);
    EXPECT_EQ(s.MAX_OVERTONE, 0);
    EXPECT_EQ(s.MAX_ANAL_CYCLE, 0);
    EXPECT_FALSE(std::filesystem::exists(ini)) << "saving was not asked for";
}

TEST_F(SettingsDialogs, SaveSettingsStartsUntickedAndSavesTheMidiKeysToo)
{
    Fields f = fields_of(open_analysis_dialog());
    EXPECT_FALSE(checked(analysis_dialog_checks(), 1026));
    press_analysis_dialog(1026, f.reader());
    EXPECT_TRUE(checked(analysis_dialog_checks(), 1026));
    midi_output_settings.VOLUME = 99;
    f.text[1003] = "77";
    press_analysis_dialog(1, f.reader());
    ASSERT_TRUE(std::filesystem::exists(ini));
    EXPECT_EQ(test::read_text(ini).find("OVERTONE_LEVEL=77") != std::string::npos, true);
    EXPECT_NE(test::read_text(ini).find("VOLUME=99"), std::string::npos);

    f = fields_of(open_conversion_dialog());
    EXPECT_FALSE(checked(conversion_dialog_checks(), 1025)) << "unticked at every opening";
    press_conversion_dialog(1025, f.reader());
    f.text[1012] = "1000";
    press_conversion_dialog(1, f.reader());
    EXPECT_NE(test::read_text(ini).find("TIME_UNIT=1000"), std::string::npos);
    EXPECT_NE(test::read_text(ini).find("[MIDI]"), std::string::npos);
}

TEST_F(SettingsDialogs, ConversionDialogAppliesThePresetAtEveryOpeningAndKeepsItOnCancel)
{
    ConversionSettings& s = conversion_settings;
    s.FINE_NOTE = 1;
    s.SL_DIFFNOTE_ABS = 3;
    s.MAX_HARMONY = 4;
    s.BIT_RATE = 5;
    Fields f = fields_of(open_conversion_dialog());
    EXPECT_EQ(f.text[1004], "32");
    EXPECT_EQ(f.text[1011], "15");
    EXPECT_EQ(f.text[1013], "20000");
    EXPECT_EQ(press_conversion_dialog(2, f.reader()).result, 2);
    EXPECT_EQ(s.BIT_RATE, 20000);
    s.FINE_NOTE = 0;
    f = fields_of(open_conversion_dialog());
    EXPECT_EQ(f.text[1013], "9000");

    // Check boxes invert their fields at once: the scale notes are 1027..1038 from C.
    press_conversion_dialog(1028, f.reader());  // C#
    press_conversion_dialog(1027, f.reader());  // C
    press_conversion_dialog(1039, f.reader());
    press_conversion_dialog(1024, f.reader());
    press_conversion_dialog(1026, f.reader());
    EXPECT_EQ(s.SCALE_NOTES[0], 0);
    EXPECT_EQ(s.SCALE_NOTES[1], 1);
    EXPECT_EQ(s.VR_INTERVAL, 0);
    EXPECT_EQ(s.FLT_CONNECT, 1);
    EXPECT_EQ(s.SCALE_FILTER, 1);
    EXPECT_TRUE(checked(conversion_dialog_checks(), 1028));

    // OK reads boxes 1003..1013 in order, unsigned.
    const int32_t* targets[] = {&s.SL_INTERVAL, &s.SL_DIFFNOTE_ABS, &s.MINIMUM_LEVEL,
                                &s.MAXIMUM_LEVEL, &s.KEY_MIN, &s.KEY_MAX, &s.SL_LENGTH,
                                &s.SL_LEVEL, &s.MAX_HARMONY, &s.TIME_UNIT, &s.BIT_RATE};
    for (int32_t i = 0; i < 11; ++i)
        f.text[1003 + i] = std::to_string(100 + i);
    f.text[1013] = "4294967295";
    EXPECT_EQ(press_conversion_dialog(1, f.reader()).result, 1);
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(*targets[i], 100 + i) << 1003 + i;
    EXPECT_EQ(s.BIT_RATE, -1) << "an unsigned box keeps the bits";
}

// OK refuses what the conversion would refuse, in Japanese, stores none of the boxes, and
// shows the kept setting in the box that held the refused value. What it lets through the
// conversion accepts.
TEST_F(SettingsDialogs, OkRefusesValuesTheConversionWouldRefuseAndKeepsThePreviousValues)
{
    struct Row {
        const char* what;
        bool analysis_dialog;
        std::map<int32_t, std::string> typed;
        const char* refusal;  // nullptr: accepted
        int32_t box;          // the box shown again
    };
    const Row rows[] = {
        {"time resolution 0", false, {{1012, "0"}}, TIME_UNIT_REFUSED_TEXT, 1012},
        {"time resolution not a number", false, {{1012, "abc"}}, TIME_UNIT_REFUSED_TEXT, 1012},
        {"time resolution beyond int32", false, {{1012, "3000000000"}}, TIME_UNIT_REFUSED_TEXT, 1012},
        {"time resolution 1", false, {{1012, "1"}}, nullptr, 0},
        {"highest note 128", false, {{1008, "128"}}, KEY_RANGE_REFUSED_TEXT, 1008},
        {"lowest note above the highest", false, {{1007, "90"}, {1008, "80"}}, KEY_ORDER_REFUSED_TEXT, 1007},
        {"notes 0 and 127", false, {{1007, "0"}, {1008, "127"}}, nullptr, 0},
        {"range before the time resolution", false, {{1007, "200"}, {1012, "0"}}, KEY_RANGE_REFUSED_TEXT, 1007},
        {"frame width 16", true, {{1004, "16"}}, FFT_SIZE_REFUSED_TEXT, 1004},
        {"frame width 65536", true, {{1004, "65536"}}, FFT_SIZE_REFUSED_TEXT, 1004},
        {"frame width 32", true, {{1004, "32"}}, nullptr, 0},
    };
    for (const Row& r : rows) {
        test::reset_engine_state();
        conversion_settings.KEY_MIN = 40;
        const ConversionSettings before = conversion_settings;
        Fields f = fields_of(r.analysis_dialog ? open_analysis_dialog() : open_conversion_dialog());
        const ConversionSettings opened = conversion_settings;  // after the preset
        f.text[1003] = "7";  // an allowed box typed with it
        for (const auto& [id, text] : r.typed)
            f.text[id] = text;
        const DialogPress p = r.analysis_dialog ? press_analysis_dialog(1, f.reader())
                                                : press_conversion_dialog(1, f.reader());
        if (!r.refusal) {
            EXPECT_EQ(p.result, 1) << r.what;
            EXPECT_TRUE(p.refusal.empty()) << r.what;
            EXPECT_EQ(refused_conversion_setting(), nullptr) << r.what;
            continue;
        }
        EXPECT_EQ(p.result, 0) << r.what << ": the dialog stays open";
        EXPECT_EQ(p.refusal, r.refusal) << r.what;
        ASSERT_EQ(p.shown.size(), 1u) << r.what;
        EXPECT_EQ(p.shown[0].id, r.box) << r.what;
        EXPECT_EQ(p.shown[0].text, std::to_string(static_cast<uint32_t>(
                                       r.box == 1004 ? before.FFT_SIZE
                                       : r.box == 1012 ? before.TIME_UNIT
                                       : r.box == 1007 ? before.KEY_MIN : before.KEY_MAX)))
            << r.what;
        EXPECT_EQ(conversion_settings.OVERTONE_LEVEL, opened.OVERTONE_LEVEL) << r.what;
        EXPECT_EQ(conversion_settings.SL_INTERVAL, opened.SL_INTERVAL) << r.what;
        // The same values given to the conversion are refused with the same words.
        for (const auto& [id, text] : r.typed) {
            const int32_t value = static_cast<int32_t>(std::strtoul(text.c_str(), nullptr, 10));
            if (r.analysis_dialog)
                conversion_settings.FFT_SIZE = value;
            else if (id == 1007)
                conversion_settings.KEY_MIN = value;
            else if (id == 1008)
                conversion_settings.KEY_MAX = value;
            else
                conversion_settings.TIME_UNIT = value;
        }
        const char* engine = refused_conversion_setting();
        ASSERT_NE(engine, nullptr) << r.what;
        EXPECT_EQ(gui_message_text(engine), r.refusal) << r.what;
    }
}

} // namespace
