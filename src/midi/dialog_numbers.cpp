#include "midi/dialog_numbers.h"

#include <cctype>
#include <cstddef>

int32_t read_dialog_int(std::string_view text, bool is_signed)
{
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (is_signed && pos < text.size() && text[pos] == '-') {
        negative = true;
        ++pos;
    }
    const size_t first_digit = pos;
    int64_t value = 0;
    const int64_t limit = is_signed ? (negative ? 2147483648LL : 2147483647LL) : 4294967295LL;
    for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > limit)
            return 0;
    }
    if (pos == first_digit)
        return 0;
    if (negative)
        value = -value;
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}
