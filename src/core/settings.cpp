#include "core/settings.h"

#include <array>
#include <cctype>
#include <string_view>

#include "core/ini_file.h"
#include "core/settings_location.h"

MidiOutputSettings midi_output_settings;
ConversionSettings conversion_settings;

namespace {

struct SettingKey {
    const char* section;
    const char* key;
    int32_t* field;
    int32_t builtin;
    bool is_flag;
};

// The 28 keyed fields in file order.
std::array<SettingKey, 28> setting_keys()
{
    const MidiOutputSettings m0;
    const ConversionSettings c0;
    MidiOutputSettings& m = midi_output_settings;
    ConversionSettings& c = conversion_settings;
    return {{
        {"MIDI", "DEVICE", &m.DEVICE, m0.DEVICE, false},
        {"MIDI", "BANK1", &m.BANK1, m0.BANK1, false},
        {"MIDI", "BANK2", &m.BANK2, m0.BANK2, false},
        {"MIDI", "PROGRAM", &m.PROGRAM, m0.PROGRAM, false},
        {"MIDI", "VOLUME", &m.VOLUME, m0.VOLUME, false},
        {"CONV1", "OVERTONE_CORRECT", &c.OVERTONE_CORRECT, c0.OVERTONE_CORRECT, true},
        {"CONV1", "OVERTONE_LEVEL", &c.OVERTONE_LEVEL, c0.OVERTONE_LEVEL, false},
        {"CONV1", "FINE_NOTE", &c.FINE_NOTE, c0.FINE_NOTE, true},
        {"CONV1", "FUNDAMENTAL_CORRECT", &c.FUNDAMENTAL_CORRECT, c0.FUNDAMENTAL_CORRECT, true},
        {"CONV1", "MAX_OVERTONE", &c.MAX_OVERTONE, c0.MAX_OVERTONE, false},
        {"CONV1", "FFT_SIZE", &c.FFT_SIZE, c0.FFT_SIZE, false},
        {"CONV1", "MAX_ANAL_CYCLE", &c.MAX_ANAL_CYCLE, c0.MAX_ANAL_CYCLE, false},
        {"CONV1", "VARY_RATE", &c.VARY_RATE, c0.VARY_RATE, false},
        {"CONV1", "SL_DIFFLEVEL", &c.SL_DIFFLEVEL, c0.SL_DIFFLEVEL, false},
        {"CONV1", "SL_DIFFNOTE", &c.SL_DIFFNOTE, c0.SL_DIFFNOTE, false},
        {"CONV2", "SL_INTERVAL", &c.SL_INTERVAL, c0.SL_INTERVAL, false},
        {"CONV2", "VR_INTERVAL", &c.VR_INTERVAL, c0.VR_INTERVAL, true},
        {"CONV2", "SL_DIFFNOTE_ABS", &c.SL_DIFFNOTE_ABS, c0.SL_DIFFNOTE_ABS, false},
        {"CONV2", "MINIMUM_LEVEL", &c.MINIMUM_LEVEL, c0.MINIMUM_LEVEL, false},
        {"CONV2", "MAXIMUM_LEVEL", &c.MAXIMUM_LEVEL, c0.MAXIMUM_LEVEL, false},
        {"CONV2", "KEY_MIN", &c.KEY_MIN, c0.KEY_MIN, false},
        {"CONV2", "KEY_MAX", &c.KEY_MAX, c0.KEY_MAX, false},
        {"CONV2", "SL_LENGTH", &c.SL_LENGTH, c0.SL_LENGTH, false},
        {"CONV2", "SL_LEVEL", &c.SL_LEVEL, c0.SL_LEVEL, false},
        {"CONV2", "MAX_HARMONY", &c.MAX_HARMONY, c0.MAX_HARMONY, false},
        {"CONV2", "TIME_UNIT", &c.TIME_UNIT, c0.TIME_UNIT, false},
        {"CONV2", "BIT_RATE", &c.BIT_RATE, c0.BIT_RATE, false},
        {"CONV2", "FLT_CONNECT", &c.FLT_CONNECT, c0.FLT_CONNECT, true},
    }};
}

// Profile values are fetched into an 8-byte buffer: at most 7 characters count.
constexpr size_t VALUE_CHARS = 7;

// Decimal conversion as atoi does it: leading blanks, one sign, digits up to the first
// other character; no digits gives 0. Seven characters cannot overflow.
int32_t parse_setting_value(std::string_view text)
{
    text = text.substr(0, VALUE_CHARS);
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

} // namespace

void apply_microtonal_preset()
{
    conversion_settings.SL_DIFFNOTE_ABS = 32;
    conversion_settings.MAX_HARMONY = 15;
    conversion_settings.BIT_RATE = 20000;
}

void apply_semitone_preset()
{
    conversion_settings.SL_DIFFNOTE_ABS = 8;
    conversion_settings.MAX_HARMONY = 32;
    conversion_settings.BIT_RATE = 9000;
}

std::string settings_file_path()
{
    const SettingsFiles files = settings_files();
    return files.user.empty() ? files.beside : files.user;
}

int32_t load_settings()
{
    const SettingsFiles files = settings_files();
    if (files.user.empty())
        return load_settings_from(files.beside);
    return load_settings_from(files.user, files.beside);
}

int32_t load_settings_from(const std::string& path)
{
    return load_settings_from(path, std::string());
}

int32_t load_settings_from(const std::string& path, const std::string& fallback)
{
    const IniFile ini = ini_load(path);
    const IniFile lower = fallback.empty() ? IniFile{} : ini_load(fallback);
    for (const SettingKey& k : setting_keys()) {
        const std::string text = ini_get(lower, k.section, k.key, std::to_string(k.builtin));
        int32_t value = parse_setting_value(ini_get(ini, k.section, k.key, text));
        *k.field = k.is_flag ? (value == 1 ? 1 : 0) : value;
    }
    return 1;
}

int32_t save_settings()
{
    const std::string path = settings_file_path();
    if (!create_settings_folder(path))
        return 0;
    return save_settings_to(path);
}

int32_t save_settings_to(const std::string& path)
{
    IniFile ini = ini_load(path);
    for (const SettingKey& k : setting_keys()) {
        int32_t value = k.is_flag ? (*k.field != 0 ? 1 : 0) : *k.field;
        ini_set(ini, k.section, k.key, std::to_string(value));
    }
    return ini_store(ini, path) ? 1 : 0;
}

void reset_settings()
{
    midi_output_settings = MidiOutputSettings{};
    conversion_settings = ConversionSettings{};
}
