// The dialogs of the shell's commands, built from their templates over their rules:
// 103 about, 132 analysis settings, 133 conversion settings, 134 note edit, 135 pitch and
// tempo change, 136 filter. Each returns its result: 1 OK, 2 cancel.
#pragma once

#include <cstdint>

#include "ui/dialogs/template_dialog.h"

// The rules a dialog id runs on (tests build the dialog from them without showing it).
DialogRules shell_dialog_rules(int32_t dialog_id);

// Shows dialog_id modally over owner and returns its result.
int exec_shell_dialog(int32_t dialog_id, QWidget* owner);
