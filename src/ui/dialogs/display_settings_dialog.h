// Dialog 131 "MIDI表示モード設定": the displayed time and note range of the piano roll.
#pragma once

class QWidget;

// Shows the dialog modally over owner; returns 1 for OK or reset, 2 for cancel.
int exec_display_settings_dialog(QWidget* owner);
