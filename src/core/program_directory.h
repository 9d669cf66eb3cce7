// Where the running program lives, and where its data lies: beside the executable in the
// build tree or a portable copy, in ../share/tonagram/ next to bin/ in an installed one.
#pragma once

#include <string>
#include <string_view>

// The directory of the running executable with its trailing "/", or empty (the current
// directory) when it cannot be found. Symbolic links are resolved, so a link to the program
// elsewhere finds the program's own data.
std::string executable_directory();

// The installed data directory of a program in executable_dir (ending in "/"): the
// configured data directory relative to the binary directory, "../share/tonagram/" by default.
std::string installed_data_directory(const std::string& executable_dir);

// True when executable_dir belongs to an installed layout, that is when its installed data
// directory exists.
bool is_installed_layout(const std::string& executable_dir);

// The path of the data file name for a program in executable_dir: beside the executable
// when the file is there, else in the installed data directory when it is there, else the
// path beside the executable (which then does not exist).
std::string find_program_data_file(const std::string& executable_dir, std::string_view name);

// find_program_data_file for the running program.
std::string program_data_file(std::string_view name);
