// The mapping from analysed levels to MIDI velocities used by note extraction.
#pragma once

#include <cstdint>

// lo: the level that maps to velocity 0; range: the level span over which velocity rises to
// 128. Both are 64-bit because the settings that scale them carry no range limits.
struct VelocityScale {
    int64_t lo = 0;
    int64_t range = 0;
};

// Builds the scale from MINIMUM_LEVEL and MAXIMUM_LEVEL for the largest level of the analysis:
// lo = MINIMUM_LEVEL * level_max / 100, range = (level_max - lo) * MAXIMUM_LEVEL / 100.
VelocityScale make_velocity_scale(int32_t level_max);

// Velocity 0..127 of a level; 0 (the record vanishes) for every level when the range is not
// positive, as for a silent wave.
int32_t scale_velocity(const VelocityScale& scale, int32_t level);
