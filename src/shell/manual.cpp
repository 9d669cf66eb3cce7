#include "shell/manual.h"

#include "core/program_directory.h"

std::string manual_path()
{
    return program_data_file("manual.txt");
}
