// Program-wide state of the views for the tests.
#pragma once

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

} // namespace test
