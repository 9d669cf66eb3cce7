#include "midi/list_dialogs.h"

#include "midi/dialog_numbers.h"
#include "core/settings.h"
#include "midi/list_change.h"
#include "midi/note_filter.h"

namespace {

FilterSettings& f = filter_settings;  // the record dialog 136 edits

// The two limits the connection switch rewrites.
std::vector<ControlText> limit_texts()
{
    return {{1005, unsigned_field_text(f.FILTER_VELOCITY_MIN)},
            {1006, unsigned_field_text(f.FILTER_LENGTH_MIN)}};
}

} // namespace

std::vector<ControlText> filter_dialog_texts()
{
    std::vector<ControlText> texts = {{1003, unsigned_field_text(f.FILTER_NOTE_MIN)},
                                      {1004, unsigned_field_text(f.FILTER_NOTE_MAX)},
                                      {1007, signed_field_text(f.FILTER_VELOCITY_CHANGE_MAX)},
                                      {1008, unsigned_field_text(f.FILTER_GAP_MAX)}};
    for (ControlText& t : limit_texts())
        texts.push_back(std::move(t));
    return texts;
}

std::vector<ControlCheck> filter_dialog_checks()
{
    return {{1024, conversion_settings.FLT_CONNECT != 0}};
}

DialogPress press_filter_dialog(int32_t id, const ControlTexts& texts)
{
    switch (id) {
    case 1024:
        toggle_filter_connection();
        return {0, limit_texts()};
    case DIALOG_OK:
        f.FILTER_NOTE_MIN = read_dialog_int(texts(1003), false);
        f.FILTER_NOTE_MAX = read_dialog_int(texts(1004), false);
        f.FILTER_VELOCITY_MIN = read_dialog_int(texts(1005), false);
        f.FILTER_LENGTH_MIN = read_dialog_int(texts(1006), false);
        f.FILTER_VELOCITY_CHANGE_MAX = read_dialog_int(texts(1007), true);
        f.FILTER_GAP_MAX = read_dialog_int(texts(1008), false);
        return {DIALOG_OK, {}};
    case DIALOG_CANCEL:
        return {DIALOG_CANCEL, {}};
    default:
        return {};
    }
}

std::vector<ControlText> list_change_dialog_texts()
{
    const ListChangeSettings& l = list_change_settings;
    return {{1003, signed_field_text(l.LIST_TRANSPOSE)},
            {1004, std::to_string(l.LIST_TEMPO_PERCENT)}};
}

DialogPress press_list_change_dialog(int32_t id, const ControlTexts& texts)
{
    switch (id) {
    case DIALOG_OK:
        list_change_settings.LIST_TRANSPOSE = read_dialog_int(texts(1003), true);
        list_change_settings.LIST_TEMPO_PERCENT = static_cast<uint32_t>(read_dialog_int(texts(1004), false));
        return {DIALOG_OK, {}};
    case DIALOG_CANCEL:
        return {DIALOG_CANCEL, {}};
    default:
        return {};
    }
}
