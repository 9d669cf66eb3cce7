#include "ui/dialogs/shell_dialogs.h"

#include "shell/conversion_dialogs.h"
#include "midi/list_dialogs.h"
#include "midi/note_edit_dialog.h"
#include "shell/dialog_templates.h"

DialogRules shell_dialog_rules(int32_t dialog_id)
{
    switch (dialog_id) {
    case ANALYSIS_SETTINGS_DIALOG:
        return {open_analysis_dialog, analysis_dialog_checks, press_analysis_dialog};
    case CONVERSION_SETTINGS_DIALOG:
        return {open_conversion_dialog, conversion_dialog_checks, press_conversion_dialog};
    case NOTE_EDIT_DIALOG:
        return {note_edit_dialog_texts, {}, press_note_edit_dialog};
    case LIST_CHANGE_DIALOG:
        return {list_change_dialog_texts, {}, press_list_change_dialog};
    case FILTER_DIALOG:
        return {filter_dialog_texts, filter_dialog_checks, press_filter_dialog};
    default:
        return {};  // the about box: OK and cancel only close it
    }
}

int exec_shell_dialog(int32_t dialog_id, QWidget* owner)
{
    return exec_template_dialog(dialog_id, shell_dialog_rules(dialog_id), owner);
}
