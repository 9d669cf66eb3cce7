// The manual: manual.txt in the directory of the running program (not the working
// directory), opened with the desktop's default application.
#pragma once

#include <string>

std::string manual_path();
