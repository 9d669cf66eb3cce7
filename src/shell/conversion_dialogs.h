// The rules of the two settings dialogs shown before a conversion: 132 "周波数解析設定"
// (the CONV1 fields) and 133 "MIDIデータ変換設定" (the CONV2 fields and the scale filter).
// Both edit conversion_settings directly; check boxes and buttons change it at once, the
// number boxes only on OK. UI thread.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/dialog_controls.h"

// The "設定保存" box of both dialogs: 1 saves all settings on OK. Cleared at every opening.
extern int32_t SAVE_SETTINGS;

// How the dialogs save all settings (save_settings unless a test points it elsewhere).
extern int32_t (*save_all_settings)();

// Dialog 132. Opening clears SAVE_SETTINGS and gives the texts of the number boxes.
// Pressing: a check box inverts its field (1025 microtonal analysis also sets VARY_RATE to
// 500 or 150 and shows it in 1005), 1054 steps FFT_SIZE 4096 -> 8192 -> 1024 -> 2048 ->
// 4096 (any other value -> 4096), OK reads the seven boxes unsigned and saves when asked,
// cancel only closes. OK refuses a frame width the analysis cannot use (outside
// FFT_SIZE_MIN..FFT_SIZE_MAX): nothing is stored, the box shows FFT_SIZE again.
std::vector<ControlText> open_analysis_dialog();
std::vector<ControlCheck> analysis_dialog_checks();
DialogPress press_analysis_dialog(int32_t id, const ControlTexts& texts);

// Dialog 133. Opening clears SAVE_SETTINGS and applies the preset of FINE_NOTE every time,
// whatever the settings file held; the preset stays when the dialog is cancelled.
// Pressing: a check box inverts its field, OK reads boxes 1003 to 1013 unsigned and saves
// when asked, cancel only closes. OK refuses what the conversion would refuse (a note
// outside 0..127, a lowest note above the highest, a time resolution of 0 or below; the
// first in that order): nothing is stored, and the box that holds it shows its setting again.
std::vector<ControlText> open_conversion_dialog();
std::vector<ControlCheck> conversion_dialog_checks();
DialogPress press_conversion_dialog(int32_t id, const ControlTexts& texts);
