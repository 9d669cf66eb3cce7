// Where the running program lives: the settings file and the manual sit beside it.
#pragma once

#include <string>

// The directory of the running executable with its trailing "/", or empty (the current
// directory) when it cannot be found.
std::string executable_directory();
