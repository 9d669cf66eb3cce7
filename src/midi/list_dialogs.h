// The rules of the two whole-list dialogs: 136 "MIDIデータフィルタ" (filter_settings and
// the connection switch FLT_CONNECT) and 135 "音高・テンポ変更の設定" (list_change_settings).
// The commands run the filter or the pitch/tempo change after OK. UI thread.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/dialog_controls.h"

// Dialog 136: 1003 to 1006 and 1008 unsigned, 1007 signed; check box 1024 is FLT_CONNECT.
// Clicking 1024 toggles the connection at once (also the velocity and length limits, shown
// again in 1005 and 1006), so cancel keeps it. OK reads the six fields and closes with 1.
std::vector<ControlText> filter_dialog_texts();
std::vector<ControlCheck> filter_dialog_checks();
DialogPress press_filter_dialog(int32_t id, const ControlTexts& texts);

// Dialog 135: 1003 LIST_TRANSPOSE (signed), 1004 LIST_TEMPO_PERCENT (unsigned); the values
// stay for the next opening. OK reads both and closes with 1.
std::vector<ControlText> list_change_dialog_texts();
DialogPress press_list_change_dialog(int32_t id, const ControlTexts& texts);
