// The General MIDI program names and the instrument groups of the MIDI settings dialog.
#pragma once

#include <array>
#include <cstdint>

// Entry i names program i + 1 (as shown to the user), in the dialog's own spellings.
extern const std::array<const char*, 128> GM_PROGRAM_NAMES;

struct TimbreGroup {
    int32_t program;  // 1-based, as shown
    const char* name;
};

// The groups "次検索↓" and "戻る↑" step through.
extern const std::array<TimbreGroup, 7> TIMBRE_GROUPS;
