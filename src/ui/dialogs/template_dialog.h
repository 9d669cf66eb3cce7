// A modal dialog built from a dialog template and driven by plain rules: every button
// and check box press goes to the rules, which change the records and say what to show
// and whether the dialog closes.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "midi/dialog_controls.h"

struct DialogRules {
    std::function<std::vector<ControlText>()> texts;    // the fields on opening
    std::function<std::vector<ControlCheck>()> checks;  // the boxes, shown again after a press
    std::function<DialogPress(int32_t id, const ControlTexts&)> press;
};

class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    // Builds dialog template_id (laid out in dialog units of the dialog font) and shows the
    // rules' values in it. owner is the window the dialog is modal to.
    TemplateDialog(int32_t template_id, DialogRules rules, QWidget* owner);

    // The control with a template id, or nullptr (tests fill fields and press through it).
    QWidget* control(int32_t id) const;

    // What a click on control id does: the rules run, fields and boxes follow, and the
    // dialog closes when the rules say so.
    void press(int32_t id);

    // Escape and the title bar's close button act as "ｷｬﾝｾﾙ" (id 2).
    void reject() override;

private:
    void build(int32_t template_id);
    void show_texts(const std::vector<ControlText>& texts);
    void show_checks();
    std::string text_of(int32_t id) const;

    DialogRules rules_;
    std::map<int32_t, QWidget*> controls_;
};

// The widget of one control template, a child of parent, not yet placed: a label, a
// number field, a check box, a push button (Enter presses only the default one), a frame,
// the icon or a list box.
QWidget* make_control(const ControlTemplate& c, QWidget* parent);

// Runs a template dialog modally; returns its result (1 OK, 2 cancel).
int exec_template_dialog(int32_t template_id, DialogRules rules, QWidget* owner);
