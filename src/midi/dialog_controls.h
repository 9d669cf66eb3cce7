// What a dialog's rules exchange with the window that shows it: texts of number fields,
// states of check boxes, and what pressing a control did. Rules live beside the records
// they edit and never see a widget.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// One control of a dialog layout in dialog units, as plain data: the window layer builds
// its widget from it.
enum class ControlKind {
    Label,          // static text
    Edit,           // number field
    ReadOnlyEdit,   // shown value the user cannot change
    Check,          // check box
    Button,         // push button
    DefaultButton,  // push button that Enter presses
    Group,          // frame with a caption around related controls
    Icon,           // the program's icon
    ListBox,        // list of rows, one selectable
};

// Id of controls that send nothing (labels, frames, the icon).
inline constexpr int32_t STATIC_CONTROL = -1;

struct ControlTemplate {
    ControlKind kind;
    int32_t id;
    const char* text;  // UTF-8
    int32_t x, y, width, height;
};

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
// it is non-zero; shown lists the fields to rewrite (the others keep what the user typed);
// a refusal (UTF-8, empty when none) is shown to the user, and the dialog stays open.
struct DialogPress {
    DialogPress(int32_t result_ = 0, std::vector<ControlText> shown_ = {}, std::string refusal_ = {})
        : result(result_), shown(std::move(shown_)), refusal(std::move(refusal_))
    {
    }
    int32_t result;
    std::vector<ControlText> shown;
    std::string refusal;
};

// The text of a field shown unsigned (the bits of value, so -1 shows 4294967295) or signed.
std::string unsigned_field_text(int32_t value);
std::string signed_field_text(int32_t value);
