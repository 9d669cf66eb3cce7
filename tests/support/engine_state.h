// Putting the engine's program-wide records back to their start values; shared by the test
// programs and the fuzz targets, without any test framework.
#pragma once

namespace test {

// Puts every program-wide record of the engine back to its start values.
void reset_engine_state();

} // namespace test
