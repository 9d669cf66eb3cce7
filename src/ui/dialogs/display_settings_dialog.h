// Dialog 131 "MIDI表示モード設定": the displayed time and note range of the piano roll.
#pragma once

class QWidget;

// Shows the dialog modally over owner; returns 1 for OK or "初期化" (reset), 2 for cancel.
// The pick buttons store their value at once, so cancelling afterwards keeps it.
int exec_display_settings_dialog(QWidget* owner);
