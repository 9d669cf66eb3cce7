#include "midi/note_edit_dialog.h"

#include "midi/dialog_numbers.h"
#include "midi/note_editing.h"
#include "midi/note_names.h"
#include "midi/note_selection.h"

namespace {

// The read-only fields that follow the edited values.
std::vector<ControlText> derived_texts()
{
    const NoteSelection& n = note_selection;
    return {{1004, note_name(n.selected_note)},
            {1007, signed_field_text(n.selected_off_time - n.selected_on_time)}};
}

void read_note_fields(const ControlTexts& texts)
{
    NoteSelection& n = note_selection;
    n.selected_note = read_dialog_int(texts(1003), false);
    n.selected_on_time = read_dialog_int(texts(1005), false);
    n.selected_off_time = read_dialog_int(texts(1006), false);
    n.selected_velocity = read_dialog_int(texts(1008), false);
}

} // namespace

std::vector<ControlText> note_edit_dialog_texts()
{
    const NoteSelection& n = note_selection;
    std::vector<ControlText> texts = {{1003, unsigned_field_text(n.selected_note)},
                                      {1005, unsigned_field_text(n.selected_on_time)},
                                      {1006, unsigned_field_text(n.selected_off_time)},
                                      {1008, unsigned_field_text(n.selected_velocity)}};
    for (ControlText& t : derived_texts())
        texts.push_back(std::move(t));
    return texts;
}

DialogPress press_note_edit_dialog(int32_t id, const ControlTexts& texts)
{
    switch (id) {
    case 1054:
        read_note_fields(texts);
        return {0, derived_texts()};
    case DIALOG_OK:
        read_note_fields(texts);
        modify_selected_note();
        return {DIALOG_OK, {}};
    case 1056:
        read_note_fields(texts);
        add_note();
        return {DIALOG_OK, {}};
    case 1055:
        delete_selected_note();
        return {DIALOG_OK, {}};
    case DIALOG_CANCEL:
        return {DIALOG_CANCEL, {}};
    default:
        return {};
    }
}
