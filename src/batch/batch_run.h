// The whole run of the console converter, from the command line to the exit status.
#pragma once

// argv as main receives it. Returns the exit status: 0, or -1 on failure.
int batch_main(int argc, const char* const* argv);
