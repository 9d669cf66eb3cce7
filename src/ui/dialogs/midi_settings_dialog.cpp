#include "ui/dialogs/midi_settings_dialog.h"

int exec_midi_settings_dialog(QWidget*)
{
    return 2;
}
