#include "shell/conversion_dialogs.h"

#include <span>

#include "core/settings.h"
#include "core/settings_check.h"
#include "midi/dialog_numbers.h"
#include "shell/gui_messages.h"

int32_t SAVE_SETTINGS = 0;
int32_t (*save_all_settings)() = save_settings;

namespace {

struct BoundField {
    int32_t id;
    int32_t* field;
};

// A number box and the setting it edits.
struct NumberField {
    int32_t id;
    int32_t ConversionSettings::*field;
};

ConversionSettings& s = conversion_settings;  // the record both dialogs edit
using CS = ConversionSettings;

const NumberField ANALYSIS_NUMBERS[] = {
    {1003, &CS::OVERTONE_LEVEL}, {1004, &CS::FFT_SIZE},    {1005, &CS::VARY_RATE},
    {1006, &CS::SL_DIFFLEVEL},   {1007, &CS::SL_DIFFNOTE}, {1008, &CS::MAX_OVERTONE},
    {1009, &CS::MAX_ANAL_CYCLE},
};
const BoundField ANALYSIS_CHECKS[] = {
    {1024, &s.OVERTONE_CORRECT}, {1025, &s.FINE_NOTE}, {1026, &SAVE_SETTINGS},
    {1027, &s.FUNDAMENTAL_CORRECT},
};

const NumberField CONVERSION_NUMBERS[] = {
    {1003, &CS::SL_INTERVAL}, {1004, &CS::SL_DIFFNOTE_ABS}, {1005, &CS::MINIMUM_LEVEL},
    {1006, &CS::MAXIMUM_LEVEL}, {1007, &CS::KEY_MIN}, {1008, &CS::KEY_MAX}, {1009, &CS::SL_LENGTH},
    {1010, &CS::SL_LEVEL}, {1011, &CS::MAX_HARMONY}, {1012, &CS::TIME_UNIT}, {1013, &CS::BIT_RATE},
};
const BoundField CONVERSION_CHECKS[] = {
    {1024, &s.FLT_CONNECT},      {1025, &SAVE_SETTINGS},      {1026, &s.SCALE_FILTER},
    {1027, &s.SCALE_NOTES[0]},   {1028, &s.SCALE_NOTES[1]},   {1029, &s.SCALE_NOTES[2]},
    {1030, &s.SCALE_NOTES[3]},   {1031, &s.SCALE_NOTES[4]},   {1032, &s.SCALE_NOTES[5]},
    {1033, &s.SCALE_NOTES[6]},   {1034, &s.SCALE_NOTES[7]},   {1035, &s.SCALE_NOTES[8]},
    {1036, &s.SCALE_NOTES[9]},   {1037, &s.SCALE_NOTES[10]},  {1038, &s.SCALE_NOTES[11]},
    {1039, &s.VR_INTERVAL},
};

std::vector<ControlText> unsigned_texts(std::span<const NumberField> fields)
{
    std::vector<ControlText> texts;
    for (const NumberField& f : fields)
        texts.push_back({f.id, unsigned_field_text(s.*f.field)});
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

// A value the conversion refuses, checked on the settings a dialog's OK would store.
struct BoxRule {
    int32_t id;  // the box that holds it
    bool (*refused)(const ConversionSettings&);
    const char* const* text;
};

bool outside_note_range(int32_t note)
{
    return note < 0 || note > 127;
}

const BoxRule ANALYSIS_RULES[] = {
    {1004, [](const ConversionSettings& c) { return c.FFT_SIZE < FFT_SIZE_MIN || c.FFT_SIZE > FFT_SIZE_MAX; },
     &FFT_SIZE_REFUSED_TEXT},
};

const BoxRule CONVERSION_RULES[] = {
    {1007, [](const ConversionSettings& c) { return outside_note_range(c.KEY_MIN); }, &KEY_RANGE_REFUSED_TEXT},
    {1008, [](const ConversionSettings& c) { return outside_note_range(c.KEY_MAX); }, &KEY_RANGE_REFUSED_TEXT},
    {1007, [](const ConversionSettings& c) { return c.KEY_MIN > c.KEY_MAX; }, &KEY_ORDER_REFUSED_TEXT},
    {1012, [](const ConversionSettings& c) { return c.TIME_UNIT <= 0; }, &TIME_UNIT_REFUSED_TEXT},
};

// OK of either dialog: every number box into its field, then the save when asked. A value
// the conversion would refuse stores nothing: the dialog stays open with the message and
// the refused box shows the value the setting keeps.
DialogPress accept(std::span<const NumberField> numbers, std::span<const BoxRule> rules,
                   const ControlTexts& texts)
{
    ConversionSettings candidate = s;
    for (const NumberField& f : numbers)
        candidate.*f.field = read_dialog_int(texts(f.id), false);
    for (const BoxRule& rule : rules) {
        if (!rule.refused(candidate))
            continue;
        for (const NumberField& f : numbers) {
            if (f.id == rule.id)
                return {0, {{f.id, unsigned_field_text(s.*f.field)}}, *rule.text};
        }
    }
    s = candidate;
    if (SAVE_SETTINGS == 1)
        save_all_settings();
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
        return accept(ANALYSIS_NUMBERS, ANALYSIS_RULES, texts);
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
        return accept(CONVERSION_NUMBERS, CONVERSION_RULES, texts);
    case DIALOG_CANCEL:
        return {DIALOG_CANCEL, {}};
    default:
        invert_check(CONVERSION_CHECKS, id);
        return {};
    }
}
