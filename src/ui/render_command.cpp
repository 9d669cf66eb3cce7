#include "ui/render_command.h"

#include <cstdio>
#include <cstring>

bool is_render_command(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], "--render") == 0;
}

int run_render_command(int, char**)
{
    std::fprintf(stderr, "Tonagram: --render is not available yet\n");
    return 1;
}
