// The console converter's command line: banner, usage text, completion of the WAV file
// name in current_path, and the options that override the loaded settings.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

// Output formats chosen by option f.
inline constexpr int32_t OUTPUT_TEXT_ONLY = 0;
inline constexpr int32_t OUTPUT_SMF_ONLY = 1;
inline constexpr int32_t OUTPUT_TEXT_AND_SMF = 2;

void print_banner();
void print_usage();

// --help and --version: the GNU-style texts on standard output.
void print_help();
void print_version();

// The value of an option: a decimal integer from its third character on, as %d would read
// it (leading blanks, a sign); out-of-range values saturate. Nothing when there is none.
std::optional<int32_t> option_value(const char* option);

// Appends ".wav" to the name in current_path unless its fourth-last character is a "." or
// its third-last a "w" or "W", and only while the result fits current_path.
void complete_wave_name();

// Applies the options (the arguments after the file name) in order, printing an echo line
// for each, and returns the output format (2 when no f option is given). An option whose
// text from its third character on does not start with a decimal integer is skipped.
int32_t apply_batch_options(std::span<const char* const> options);
