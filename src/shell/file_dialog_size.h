// The size the open and save dialogs open at: large enough for long file names and the
// size and date columns, never larger than the screen allows.
#pragma once

#include <cstdint>

struct DialogSize {
    int32_t width = 0;
    int32_t height = 0;
};

inline constexpr DialogSize FILE_DIALOG_PREFERRED = {960, 640};

// FILE_DIALOG_PREFERRED, each side cut to nine tenths of the screen's available area
// (a side of 0 or less, an unknown screen, leaves the preferred size).
DialogSize file_dialog_size(int32_t available_width, int32_t available_height);
