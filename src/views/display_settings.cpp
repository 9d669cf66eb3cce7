#include "views/display_settings.h"

#include <cstddef>

#include "midi/dialog_controls.h"
#include "midi/dialog_numbers.h"
#include "core/saturate.h"
#include "core/settings.h"
#include "midi/note_selection.h"

DisplaySettings display_settings;

void reset_display_settings()
{
    display_settings = DisplaySettings{};
}

namespace {


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
    return {signed_field_text(s.display_start_ms), signed_field_text(s.display_end_ms),
            unsigned_field_text(s.display_note_low), unsigned_field_text(s.display_note_high)};
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
    return signed_field_text(display_settings.display_start_ms);
}

std::string pick_display_end()
{
    display_settings.display_end_ms = ticks_to_ms(note_selection.selected_off_time);
    return signed_field_text(display_settings.display_end_ms);
}

std::string pick_note_low()
{
    display_settings.display_note_low = note_selection.selected_note;
    return unsigned_field_text(display_settings.display_note_low);
}

std::string pick_note_high()
{
    display_settings.display_note_high = note_selection.selected_note;
    return unsigned_field_text(display_settings.display_note_high);
}
