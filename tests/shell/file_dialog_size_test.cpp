#include <gtest/gtest.h>

#include "shell/file_dialog_size.h"

namespace {

TEST(FileDialogSize, PreferredSizeCutToNineTenthsOfTheScreen)
{
    struct Row {
        int32_t screen_width, screen_height;
        int32_t width, height;
    };
    const Row rows[] = {
        {1920, 1080, 960, 640},
        {1280, 1024, 960, 640},
        {1000, 700, 900, 630},
        {640, 480, 576, 432},
        {0, 0, 960, 640},  // no screen known
        {-5, 700, 960, 630},
    };
    for (const Row& r : rows) {
        const DialogSize size = file_dialog_size(r.screen_width, r.screen_height);
        EXPECT_EQ(size.width, r.width) << r.screen_width << "x" << r.screen_height;
        EXPECT_EQ(size.height, r.height) << r.screen_width << "x" << r.screen_height;
    }
}

} // namespace
