// Program-wide state of the views for the tests of the views and of the GUI.
#pragma once

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "views/display_settings.h"
#include "views/plot_frame.h"

namespace test {

inline void reset_view_state()
{
    reset_engine_state();
    reset_display_settings();
    reset_plot_frame();
}

// A test that starts and ends with the engine's and the views' start values.
class ViewStateTest : public ::testing::Test {
protected:
    void SetUp() override { reset_view_state(); }
    void TearDown() override { reset_view_state(); }
};

} // namespace test
