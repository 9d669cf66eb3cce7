#include <gtest/gtest.h>

#include <string>

#include "core/status.h"
#include "support/test_support.h"

namespace {

std::string last_window_text;
int window_calls = 0;

void record_window_text(const char* text)
{
    last_window_text = text;
    ++window_calls;
}

class Progress : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        last_window_text.clear();
        window_calls = 0;
        progress_window_hook = record_window_text;
    }
    void TearDown() override { progress_window_hook = nullptr; }
};

TEST_F(Progress, ConsoleModePrintsCarriageReturnLinesOnly)
{
    conversion_status.console_mode = 1;
    testing::internal::CaptureStdout();
    report_progress(PROGRESS_TABLES, 7);
    report_progress(PROGRESS_ANALYSIS, 42);
    report_progress(3, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Sinusoidal Waveform Tables : 7 [%]\rSignal Processing Executing : 42 [%]\r");
    EXPECT_EQ(window_calls, 0);
}

TEST_F(Progress, WindowModeHandsTheJapaneseTextToTheHook)
{
    report_progress(PROGRESS_ANALYSIS, 42);
    EXPECT_EQ(last_window_text, "周波数解析処理進行中：42 [%]");
    report_progress(PROGRESS_TABLES, 0);
    EXPECT_EQ(last_window_text, "正弦波テーブル作成：0 [%]");
    report_progress(3, 5);
    EXPECT_EQ(window_calls, 2);
}

TEST(CurrentPath, HoldsAPathUpToTheSystemsLimitOf4095Bytes)
{
    test::reset_engine_state();
    EXPECT_TRUE(set_current_path(std::string(4095, 'a').c_str()));
    EXPECT_EQ(std::string(conversion_status.current_path), std::string(4095, 'a'));
    EXPECT_FALSE(set_current_path(std::string(4096, 'b').c_str()));
    EXPECT_EQ(std::string(conversion_status.current_path), std::string(4095, 'a'));
}

} // namespace
