// The layouts of the shell's dialogs in dialog units, as plain data: every control with
// its kind, id, text and rectangle. The window layer builds its widgets from these.
#pragma once

#include <cstdint>
#include <span>

#include "midi/dialog_controls.h"

struct DialogTemplate {
    int32_t id;
    const char* title;  // UTF-8
    int32_t width, height;
    std::span<const ControlTemplate> controls;
};

inline constexpr int32_t ABOUT_DIALOG = 103;
inline constexpr int32_t ANALYSIS_SETTINGS_DIALOG = 132;
inline constexpr int32_t CONVERSION_SETTINGS_DIALOG = 133;
inline constexpr int32_t NOTE_EDIT_DIALOG = 134;
inline constexpr int32_t LIST_CHANGE_DIALOG = 135;
inline constexpr int32_t FILTER_DIALOG = 136;

// The template of dialog id (one of the ids above).
const DialogTemplate& dialog_template(int32_t id);
