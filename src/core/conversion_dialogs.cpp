#include "core/conversion_dialogs.h"

#include <span>
#include <string>

#include "core/dialog_numbers.h"
#include "core/messages.h"
#include "core/settings.h"

int32_t SAVE_SETTINGS = 0;
int32_t (*save_all_settings)() = save_settings;

namespace {

struct BoundField {
    int32_t id;
    int32_t* field;
};

ConversionSettings& s = conversion_settings;  // the record both dialogs edit

const BoundField ANALYSIS_NUMBERS[] = {
    {1003, &s.OVERTONE_LEVEL}, {1004, &s.FFT_SIZE},    {1005, &s.VARY_RATE},
    {1006, &s.SL_DIFFLEVEL},   {1007, &s.SL_DIFFNOTE}, {1008, &s.MAX_OVERTONE},
    {1009, &s.MAX_ANAL_CYCLE},
};
const BoundField ANALYSIS_CHECKS[] = {
    {1024, &s.OVERTONE_CORRECT}, {1025, &s.FINE_NOTE}, {1026, &SAVE_SETTINGS},
    {1027, &s.FUNDAMENTAL_CORRECT},
};

const BoundField CONVERSION_NUMBERS[] = {
    {1003, &s.SL_INTERVAL}, {1004, &s.SL_DIFFNOTE_ABS}, {1005, &s.MINIMUM_LEVEL},
    {1006, &s.MAXIMUM_LEVEL}, {1007, &s.KEY_MIN}, {1008, &s.KEY_MAX}, {1009, &s.SL_LENGTH},
    {1010, &s.SL_LEVEL}, {1011, &s.MAX_HARMONY}, {1012, &s.TIME_UNIT}, {1013, &s.BIT_RATE},
};
const BoundField CONVERSION_CHECKS[] = {
    {1024, &s.FLT_CONNECT},      {1025, &SAVE_SETTINGS},      {1026, &s.SCALE_FILTER},
    {1027, &s.SCALE_NOTES[0]},   {1028, &s.SCALE_NOTES[1]},   {1029, &s.SCALE_NOTES[2]},
    {1030, &s.SCALE_NOTES[3]},   {1031, &s.SCALE_NOTES[4]},   {1032, &s.SCALE_NOTES[5]},
    {1033, &s.SCALE_NOTES[6]},   {1034, &s.SCALE_NOTES[7]},   {1035, &s.SCALE_NOTES[8]},
    {1036, &s.SCALE_NOTES[9]},   {1037, &s.SCALE_NOTES[10]},  {1038, &s.SCALE_NOTES[11]},
    {1039, &s.VR_INTERVAL},
};

std::vector<ControlText> unsigned_texts(std::span<const BoundField> fields)
{
    std::vector<ControlText> texts;
    for (const BoundField& f : fields)
        texts.push_back({f.id, unsigned_field_text(*f.field)});
    return texts;
}

std::vector<ControlCheck> check_states(std::span<const BoundField> checks)
{
    std::vector<ControlCheck> states;
    for (const BoundField& c : checks)
        states.push_back({c.id, *c.field != 0});
    return states;
}

// Inverts the field of check box id; false when id is no check box of the list.
bool invert_check(std::span<const BoundField> checks, int32_t id)
{
    for (const BoundField& c : checks) {
        if (c.id == id) {
            *c.field = *c.field != 0 ? 0 : 1;
            return true;
        }
    }
    return false;
}

// OK of either dialog: every number box into its field, then the save when asked. A save
// that fails says so and names the file; the values stay in force for this session.
DialogPress accept(std::span<const BoundField> numbers, const ControlTexts& texts)
{
    for (const BoundField& f : numbers)
        *f.field = read_dialog_int(texts(f.id), false);
    if (SAVE_SETTINGS == 1 && save_all_settings() <= 0) {
        const std::string text = std::string(SETTINGS_SAVE_FAILED_TEXT) + settings_file_path();
        show_message(SETTINGS_SAVE_FAILED_CAPTION, text.c_str());
    }
    return {DIALOG_OK, {}};
}

// The next analysis frame width of button 1054.
int32_t next_fft_size(int32_t fft_size)
{
    switch (fft_size) {
    case 4096: return 8192;
    case 8192: return 1024;
    case 1024: return 2048;
    default: return 4096;
    }
}

} // namespace

std::vector<ControlText> open_analysis_dialog()
{
    SAVE_SETTINGS = 0;
    return unsigned_texts(ANALYSIS_NUMBERS);
}

std::vector<ControlCheck> analysis_dialog_checks()
{
    return check_states(ANALYSIS_CHECKS);
}

DialogPress press_analysis_dialog(int32_t id, const ControlTexts& texts)
{
    switch (id) {
    case DIALOG_OK:
        return accept(ANALYSIS_NUMBERS, texts);
    case DIALOG_CANCEL:
        return {DIALOG_CANCEL, {}};
    case 1054:
        s.FFT_SIZE = next_fft_size(s.FFT_SIZE);
        return {0, {{1004, unsigned_field_text(s.FFT_SIZE)}}};
    case 1025:
        invert_check(ANALYSIS_CHECKS, id);
        s.VARY_RATE = s.FINE_NOTE == 1 ? 500 : 150;
        return {0, {{1005, unsigned_field_text(s.VARY_RATE)}}};
    default:
        invert_check(ANALYSIS_CHECKS, id);
        return {};
    }
}

std::vector<ControlText> open_conversion_dialog()
{
    SAVE_SETTINGS = 0;
    if (s.FINE_NOTE == 1)
        apply_microtonal_preset();
    else
        apply_semitone_preset();
    return unsigned_texts(CONVERSION_NUMBERS);
}

std::vector<ControlCheck> conversion_dialog_checks()
{
    return check_states(CONVERSION_CHECKS);
}

DialogPress press_conversion_dialog(int32_t id, const ControlTexts& texts)
{
    switch (id) {
    case DIALOG_OK:
        return accept(CONVERSION_NUMBERS, texts);
    case DIALOG_CANCEL:
        return {DIALOG_CANCEL, {}};
    default:
        invert_check(CONVERSION_CHECKS, id);
        return {};
    }
}
