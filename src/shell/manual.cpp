#include "shell/manual.h"

#include "core/program_directory.h"

std::string manual_path()
{
    return executable_directory() + "manual.txt";
}
