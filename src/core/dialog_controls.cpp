#include "core/dialog_controls.h"

#include <cstddef>

namespace {

// Skips leading blanks; returns the position of the first other character.
size_t skip_blanks(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    return i;
}

// Reads the digits from position i; false when there is none or the value passes limit.
bool read_digits(std::string_view text, size_t i, uint64_t limit, uint64_t& value)
{
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return false;
    value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > limit)
            return false;
    }
    return true;
}

} // namespace

uint32_t read_unsigned_field(std::string_view text)
{
    uint64_t value = 0;
    if (!read_digits(text, skip_blanks(text), UINT32_MAX, value))
        return 0;
    return static_cast<uint32_t>(value);
}

int32_t read_signed_field(std::string_view text)
{
    size_t i = skip_blanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    uint64_t value = 0;
    const uint64_t limit = negative ? uint64_t{1} << 31 : INT32_MAX;
    if (!read_digits(text, i, limit, value))
        return 0;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

std::string unsigned_field_text(int32_t value)
{
    return std::to_string(static_cast<uint32_t>(value));
}

std::string signed_field_text(int32_t value)
{
    return std::to_string(value);
}
