// Dialog 129 "MIDI演奏条件設定": the MIDI output device and sound settings.
#pragma once

class QWidget;

// Shows the dialog modally over owner; returns 1 for OK, 2 for cancel.
int exec_midi_settings_dialog(QWidget* owner);
