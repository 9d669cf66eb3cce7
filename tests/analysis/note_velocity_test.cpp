#include <gtest/gtest.h>

#include <climits>

#include "analysis/velocity_scale.h"
#include "core/settings.h"
#include "support/test_support.h"

namespace {

class VelocityScaleTest : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine_state(); }
};

TEST_F(VelocityScaleTest, DefaultScaleOfMaxLevel1000)
{
    const VelocityScale scale = make_velocity_scale(1000);
    EXPECT_EQ(scale.lo, 50);
    EXPECT_EQ(scale.range, 902);
    const struct {
        int32_t level, velocity;
    } cases[] = {
        {-5, 0}, {0, 0}, {49, 0}, {50, 0}, {57, 0}, {58, 1}, {500, 63},
        {951, 127}, {952, 127}, {1000, 127}, {INT32_MAX, 127},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scale_velocity(scale, c.level), c.velocity) << c.level;
}

TEST_F(VelocityScaleTest, EmptyOrInvertedRangeGivesNoVelocity)
{
    struct Case {
        const char* what;
        int32_t minimum, maximum, level_max;
    };
    const Case cases[] = {
        {"silent wave", 5, 95, 0},
        {"MAXIMUM_LEVEL 0", 5, 0, 1000},
        {"MINIMUM_LEVEL 100", 100, 95, 1000},
        {"MINIMUM_LEVEL above 100", 150, 95, 1000},
        {"negative MAXIMUM_LEVEL", 5, -95, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        conversion_settings.MINIMUM_LEVEL = c.minimum;
        conversion_settings.MAXIMUM_LEVEL = c.maximum;
        const VelocityScale scale = make_velocity_scale(c.level_max);
        for (int32_t level : {INT32_MIN, -1, 0, 1, 50, 500, 1000, INT32_MAX})
            EXPECT_EQ(scale_velocity(scale, level), 0) << level;
    }
}

TEST_F(VelocityScaleTest, ExtremeSettingsStayExact)
{
    // Products far beyond 32 bits: each velocity is still the exact quotient, clamped.
    conversion_settings.MINIMUM_LEVEL = INT32_MIN;
    conversion_settings.MAXIMUM_LEVEL = INT32_MAX;
    VelocityScale scale = make_velocity_scale(INT32_MAX);
    EXPECT_EQ(scale.range, INT64_MAX);
    EXPECT_EQ(scale_velocity(scale, INT32_MAX), 0);

    conversion_settings.MINIMUM_LEVEL = 0;
    conversion_settings.MAXIMUM_LEVEL = 100;
    scale = make_velocity_scale(INT32_MAX);
    EXPECT_EQ(scale.lo, 0);
    EXPECT_EQ(scale.range, INT32_MAX);
    EXPECT_EQ(scale_velocity(scale, INT32_MAX / 2), 63);
    EXPECT_EQ(scale_velocity(scale, INT32_MAX), 127);

    // A narrow scale: the loud part of the levels saturates.
    conversion_settings.MINIMUM_LEVEL = 5;
    conversion_settings.MAXIMUM_LEVEL = 1;
    scale = make_velocity_scale(10000);
    EXPECT_EQ(scale.lo, 500);
    EXPECT_EQ(scale.range, 95);
    EXPECT_EQ(scale_velocity(scale, 520), 26);
    EXPECT_EQ(scale_velocity(scale, 600), 127);
}

} // namespace
