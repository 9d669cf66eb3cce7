// The open and save file dialogs over current_path: each proposes it, has the kind's one
// filter entry and default extension, and writes the chosen path back into it. UI thread.
#pragma once

#include "shell/file_dialog_rules.h"

class QWidget;

// True when an existing file was chosen; its path is then in current_path.
bool choose_open_file(QWidget* owner, FileKind kind);

// Rewrites the extension of current_path first (kept even on cancel); true when a name,
// existing or new, was chosen; it is then in current_path.
bool choose_save_file(QWidget* owner, FileKind kind);
