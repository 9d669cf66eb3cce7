#include "analysis/velocity_scale.h"

#include <cstdint>

#include "core/settings.h"

VelocityScale make_velocity_scale(int32_t level_max)
{
    const ConversionSettings& s = conversion_settings;
    VelocityScale scale;
    // |MINIMUM_LEVEL * level_max| < 2^62: exact in 64 bits.
    scale.lo = int64_t{s.MINIMUM_LEVEL} * level_max / 100;
    // (level_max - lo) * MAXIMUM_LEVEL can reach 2^93 for absurd settings. Saturating at
    // INT64_MAX keeps every velocity exact: (level - lo) * 128 stays below 2^63, so any range
    // at or beyond INT64_MAX gives 0 either way.
    const __int128 range = static_cast<__int128>(level_max - scale.lo) * s.MAXIMUM_LEVEL / 100;
    if (range > INT64_MAX)
        scale.range = INT64_MAX;
    else if (range < 0)
        scale.range = 0;
    else
        scale.range = static_cast<int64_t>(range);
    return scale;
}

int32_t scale_velocity(const VelocityScale& scale, int32_t level)
{
    // A negative range would turn the scale upside down (quiet levels loudest): no velocity.
    if (scale.range <= 0)
        return 0;
    const int64_t v = (level - scale.lo) * 128 / scale.range;
    if (v < 0)
        return 0;
    return v > 127 ? 127 : static_cast<int32_t>(v);
}
