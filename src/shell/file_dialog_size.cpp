#include "shell/file_dialog_size.h"

#include <algorithm>

namespace {

int32_t fit(int32_t preferred, int32_t available)
{
    if (available <= 0)
        return preferred;
    return std::min(preferred, static_cast<int32_t>(int64_t{available} * 9 / 10));
}

} // namespace

DialogSize file_dialog_size(int32_t available_width, int32_t available_height)
{
    return {fit(FILE_DIALOG_PREFERRED.width, available_width),
            fit(FILE_DIALOG_PREFERRED.height, available_height)};
}
