#include "views/display_settings.h"

#include <cctype>
#include <cstddef>

#include "core/saturate.h"
#include "core/settings.h"
#include "midi/note_selection.h"

DisplaySettings display_settings;

void reset_display_settings()
{
    display_settings = DisplaySettings{};
}

namespace {

std::string signed_text(int32_t value)
{
    return std::to_string(value);
}

std::string unsigned_text(int32_t value)
{
    return std::to_string(static_cast<uint32_t>(value));
}

// A selected time in ticks as milliseconds; 0 when TIME_UNIT cannot divide.
int32_t ticks_to_ms(int32_t ticks)
{
    const int32_t time_unit = conversion_settings.TIME_UNIT;
    if (time_unit <= 0)
        return 0;
    return saturate_int32(int64_t{ticks} * 1000 / time_unit);
}

} // namespace

DisplayRangeFields display_range_fields()
{
    const DisplaySettings& s = display_settings;
    return {signed_text(s.display_start_ms), signed_text(s.display_end_ms),
            unsigned_text(s.display_note_low), unsigned_text(s.display_note_high)};
}

void store_display_range_fields(const DisplayRangeFields& fields)
{
    DisplaySettings& s = display_settings;
    s.display_start_ms = read_dialog_int(fields.start_ms, true);
    s.display_end_ms = read_dialog_int(fields.end_ms, true);
    s.display_note_low = read_dialog_int(fields.note_low, false);
    s.display_note_high = read_dialog_int(fields.note_high, false);
}

std::string pick_display_start()
{
    display_settings.display_start_ms = ticks_to_ms(note_selection.selected_on_time);
    return signed_text(display_settings.display_start_ms);
}

std::string pick_display_end()
{
    display_settings.display_end_ms = ticks_to_ms(note_selection.selected_off_time);
    return signed_text(display_settings.display_end_ms);
}

std::string pick_note_low()
{
    display_settings.display_note_low = note_selection.selected_note;
    return unsigned_text(display_settings.display_note_low);
}

std::string pick_note_high()
{
    display_settings.display_note_high = note_selection.selected_note;
    return unsigned_text(display_settings.display_note_high);
}

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
