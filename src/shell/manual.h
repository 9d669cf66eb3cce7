// The manual: manual.txt among the program's data (beside the program, or in the installed
// data directory), never in the working directory; opened with the desktop's default
// application.
#pragma once

#include <string>

std::string manual_path();
