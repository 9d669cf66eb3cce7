// Program-wide conversion and MIDI output settings, their built-in values and the
// Tonagram.ini settings file (beside the executable, or the user's own: settings_location.h).
#pragma once

#include <cstdint>
#include <string>

// Constants no dialog, option or file changes.
inline constexpr int32_t REFERENCE_PITCH = 440;        // Hz of MIDI note 69
inline constexpr int32_t ANALYSIS_STEP = 16;           // samples between analysed frames
inline constexpr int32_t FINE_STEPS = 24;              // fine pitches per semitone
inline constexpr int32_t TEMPERED_STEP = 12;           // fine step of the equal-tempered note itself
inline constexpr int32_t FUNDAMENTAL_KEY_LIMIT = 63;   // highest note fundamental correction touches
inline constexpr int32_t DURATION_PERCENT = 77;        // share of the next-frame distance written as duration

// The MIDI sound module used for playback and for the SMF set-up events.
// Fields without an INI key are set only by the device dialog.
struct MidiOutputSettings {
    int32_t DEVICE = 0;
    int32_t BANK1 = 0;
    int32_t BANK2 = 0;
    int32_t PROGRAM = 1;         // 1-based, as shown to the user
    int32_t VOLUME = 127;
    int32_t TEMPO_PERCENT = 100; // no INI key
    int32_t TRANSPOSE = 0;       // no INI key
    int32_t REVERB = 0;          // no INI key
    int32_t CHORUS = 0;          // no INI key
};

// Every parameter of the conversion. Loaded values are never range-checked here:
// the stages that need sane values refuse the others when they run.
struct ConversionSettings {
    // CONV1: frequency analysis
    int32_t OVERTONE_CORRECT = 0;    // flag
    int32_t OVERTONE_LEVEL = 100;    // percent
    int32_t FINE_NOTE = 0;           // flag: microtonal analysis
    int32_t FUNDAMENTAL_CORRECT = 0; // flag
    int32_t MAX_OVERTONE = 2;
    int32_t FFT_SIZE = 4096;         // samples
    int32_t MAX_ANAL_CYCLE = 16;     // periods per sinusoid window
    int32_t VARY_RATE = 150;
    int32_t SL_DIFFLEVEL = 10;
    int32_t SL_DIFFNOTE = 6;         // fine steps
    // CONV2: note extraction and MIDI conversion
    int32_t SL_INTERVAL = 512;       // samples
    int32_t VR_INTERVAL = 1;         // flag
    int32_t SL_DIFFNOTE_ABS = 8;     // fine steps
    int32_t MINIMUM_LEVEL = 5;       // percent
    int32_t MAXIMUM_LEVEL = 95;      // percent
    int32_t KEY_MIN = 21;
    int32_t KEY_MAX = 108;
    int32_t SL_LENGTH = 1;
    int32_t SL_LEVEL = 1;
    int32_t MAX_HARMONY = 32;
    int32_t TIME_UNIT = 1536;        // ticks per second
    int32_t BIT_RATE = 9000;         // bits per second; 0 or less: no rate limit
    int32_t FLT_CONNECT = 0;         // flag
    // Dialog-only, never saved.
    int32_t SCALE_FILTER = 0;        // flag
    int32_t CLEAN_MODE = 0;          // flag: the clean transcription replaces note extraction
    int32_t SCALE_NOTES[12] = {1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1}; // C major
};

extern MidiOutputSettings midi_output_settings;
extern ConversionSettings conversion_settings;

// Presets tied to FINE_NOTE.
void apply_microtonal_preset();
void apply_semitone_preset();

// Full path of the Tonagram.ini that save_settings writes: the user's own file where there
// is one (settings_location.h), else the one beside the executable.
std::string settings_file_path();

// Reads all 28 keyed fields from the settings file: the user's own file where there is one,
// over the file beside the executable. A missing file, section or key gives the built-in
// text. Returns 1 always.
int32_t load_settings();
int32_t load_settings_from(const std::string& path);
// Each key from path, else from fallback, else the built-in text.
int32_t load_settings_from(const std::string& path, const std::string& fallback);

// Writes all 28 keyed fields, keeping the place of keys already in the file; the user's
// folder is created when missing. Returns 1 when the file was written, 0 when it could not
// be (the previous file and the values in memory are unchanged).
int32_t save_settings();
int32_t save_settings_to(const std::string& path);

// Puts both records back to their built-in values (tests use it).
void reset_settings();
