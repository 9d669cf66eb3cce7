#include "midi/dialog_controls.h"

std::string unsigned_field_text(int32_t value)
{
    return std::to_string(static_cast<uint32_t>(value));
}

std::string signed_field_text(int32_t value)
{
    return std::to_string(value);
}
