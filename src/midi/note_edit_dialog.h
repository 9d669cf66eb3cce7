// The rules of the note edit dialog 134 "ノート・パラメータ編集": it shows the selected note's
// values, "更新" reads them back and refreshes the name and duration, and the three action
// buttons run the single-note operations. UI thread.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/dialog_controls.h"

// Texts of 1003 (note), 1004 (its name, read only), 1005 and 1006 (on and off time),
// 1007 (off - on, read only) and 1008 (velocity) from the note values.
std::vector<ControlText> note_edit_dialog_texts();

// 1054 "更新" reads 1003, 1005, 1006, 1008 (unsigned) into the note values and shows 1004
// and 1007 again; 1 "修正実行" and 1056 "ノート追加" read them and modify or add the note;
// 1055 "削除実行" deletes the selected note without reading a field; the three close with
// 1. Cancel closes with 2.
DialogPress press_note_edit_dialog(int32_t id, const ControlTexts& texts);
