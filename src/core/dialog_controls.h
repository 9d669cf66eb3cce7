// What a dialog's rules exchange with the window that shows it: texts of number fields,
// states of check boxes, and what pressing a control did. Rules live beside the records
// they edit and never see a widget.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Standard closing results and the ids of the OK and cancel buttons.
inline constexpr int32_t DIALOG_OK = 1;
inline constexpr int32_t DIALOG_CANCEL = 2;

struct ControlText {
    int32_t id = 0;
    std::string text;  // UTF-8
};

struct ControlCheck {
    int32_t id = 0;
    bool checked = false;
};

// The current text of the dialog's edit control id (empty for an unknown id).
using ControlTexts = std::function<std::string(int32_t id)>;

// What pressing a button or clicking a check box did: the dialog closes with result when
// it is non-zero; shown lists the fields to rewrite (the others keep what the user typed).
struct DialogPress {
    int32_t result = 0;
    std::vector<ControlText> shown;
};

// The text of a field shown unsigned (the bits of value, so -1 shows 4294967295) or signed.
std::string unsigned_field_text(int32_t value);
std::string signed_field_text(int32_t value);
