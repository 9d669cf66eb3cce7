// Loads the settings as both programs do and, with "save N", sets BIT_RATE to N and saves as
// the GUI's settings dialogs do. Prints the settings file in use, two loaded values and the
// save's result; exits 1 when the save failed. The tests copy it into folders of every kind
// and run it as a user who may or may not write there.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/settings.h"

int main(int argc, char** argv)
{
    load_settings();
    std::printf("file=%s\nTIME_UNIT=%d\nBIT_RATE=%d\n", settings_file_path().c_str(),
                conversion_settings.TIME_UNIT, conversion_settings.BIT_RATE);
    if (argc < 3 || std::strcmp(argv[1], "save") != 0)
        return 0;
    conversion_settings.BIT_RATE = std::atoi(argv[2]);
    const int32_t saved = save_settings();
    std::printf("saved=%d\n", saved);
    return saved > 0 ? 0 : 1;
}
