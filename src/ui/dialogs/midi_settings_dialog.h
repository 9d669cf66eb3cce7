// Dialog 129 "MIDI演奏条件設定": the MIDI output device and sound settings.
#pragma once

#include <memory>

class QDialog;
class QWidget;

// The dialog filled from the current settings, not yet shown. Each control's object name is
// its id ("1003"; labels "label"). Its buttons store their values in the settings at once;
// OK reads the edit fields back.
std::unique_ptr<QDialog> make_midi_settings_dialog(QWidget* owner);

// Shows the dialog modally over owner; returns 1 for OK, 2 for cancel.
int exec_midi_settings_dialog(QWidget* owner);
