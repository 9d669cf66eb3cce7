// Sorting the console converter's arguments into file names, conversion options and the
// program's own switches (--help, --version, -j N, --).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class BatchAction { Convert, Usage, Help, Version, Error };

struct BatchRequest {
    BatchAction action = BatchAction::Convert;
    std::vector<std::string> files;    // in command-line order
    std::vector<std::string> options;  // conversion options such as f:1, in command-line order
    int32_t jobs = 1;                  // files converted at a time
    std::string error;                 // what is wrong, for BatchAction::Error
};

inline constexpr int32_t MAX_JOBS = 256;

// True when an argument after the first file name is a conversion option rather than a
// file name: it holds no "." or "/", starts with an ASCII letter, and is at most two
// characters long, has ":" or "=" second, or holds a number from its third character on.
bool is_option_argument(std::string_view argument);

// Sorts the arguments (without the program name). No arguments at all asks for the usage;
// --help and --version win over everything else; the first argument that is not a switch is
// always a file name, and after "--" every argument is one.
BatchRequest parse_batch_arguments(std::span<const char* const> arguments);
