#include "ui/dialogs/display_settings_dialog.h"

int exec_display_settings_dialog(QWidget*)
{
    return 2;
}
