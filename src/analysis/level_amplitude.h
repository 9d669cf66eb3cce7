// The amplitude behind an analysis level. Levels are compressed (level = 16384 *
// (amplitude / 16384)^0.374); sums and shares of sound are taken on amplitudes.
#pragma once

#include <cstdint>

// In units of 2^-24 of a level-16384 amplitude; table-driven, the same integers on every
// machine. Levels below 0 count as 0, levels beyond the table as its last one.
int64_t level_amplitude(int32_t level);

// The largest level whose amplitude does not exceed `amplitude`.
int32_t amplitude_level(int64_t amplitude);
