#include "ui/dialogs/template_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "shell/dialog_templates.h"
#include "ui/app_icon.h"
#include "ui/dialog_units.h"

QWidget* make_control(const ControlTemplate& c, QWidget* parent)
{
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(parent);
        edit->setReadOnly(c.kind == ControlKind::ReadOnlyEdit);
        return edit;
    }
    case ControlKind::Check:
        return new QCheckBox(text, parent);
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::Group: {
        auto* group = new QGroupBox(text, parent);
        return group;
    }
    case ControlKind::Icon: {
        auto* icon = new QLabel(parent);
        icon->setPixmap(tonagram_icon().pixmap(32, 32));
        return icon;
    }
    case ControlKind::ListBox:
        return new QListWidget(parent);
    }
    return nullptr;
}

TemplateDialog::TemplateDialog(int32_t template_id, DialogRules rules, QWidget* owner)
    : QDialog(owner), rules_(std::move(rules))
{
    build(template_id);
    if (rules_.texts)
        show_texts(rules_.texts());
    show_checks();
}

void TemplateDialog::build(int32_t template_id)
{
    const DialogTemplate& t = dialog_template(template_id);
    setWindowTitle(QString::fromUtf8(t.title));
    setObjectName(QString::number(t.id));
    const DialogUnits units = dialog_units_for(font());
    setFixedSize(dialog_size(units, t.width, t.height));
    for (const ControlTemplate& c : t.controls) {
        QWidget* widget = make_control(c, this);
        widget->setGeometry(dialog_rect(units, c.x, c.y, c.width, c.height));
        if (c.kind == ControlKind::Group)
            widget->lower();
        if (c.id == STATIC_CONTROL)
            continue;
        widget->setObjectName(QString::number(c.id));
        controls_[c.id] = widget;
        const int32_t id = c.id;
        if (auto* button = qobject_cast<QPushButton*>(widget))
            connect(button, &QPushButton::clicked, this, [this, id] { press(id); });
        else if (auto* box = qobject_cast<QCheckBox*>(widget))
            connect(box, &QCheckBox::clicked, this, [this, id] { press(id); });
    }
}

QWidget* TemplateDialog::control(int32_t id) const
{
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

std::string TemplateDialog::text_of(int32_t id) const
{
    const auto* edit = qobject_cast<const QLineEdit*>(control(id));
    return edit ? edit->text().toStdString() : std::string();
}

void TemplateDialog::show_texts(const std::vector<ControlText>& texts)
{
    for (const ControlText& t : texts) {
        if (auto* edit = qobject_cast<QLineEdit*>(control(t.id)))
            edit->setText(QString::fromStdString(t.text));
    }
}

void TemplateDialog::show_checks()
{
    if (!rules_.checks)
        return;
    for (const ControlCheck& c : rules_.checks()) {
        if (auto* box = qobject_cast<QCheckBox*>(control(c.id)))
            box->setChecked(c.checked);
    }
}

void TemplateDialog::press(int32_t id)
{
    DialogPress outcome;
    if (rules_.press)
        outcome = rules_.press(id, [this](int32_t field) { return text_of(field); });
    else if (id == DIALOG_OK || id == DIALOG_CANCEL)
        outcome.result = id;
    show_texts(outcome.shown);
    show_checks();
    if (!outcome.refusal.empty()) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), QString::fromStdString(outcome.refusal),
                        QMessageBox::Ok, this);
        box.exec();
    }
    if (outcome.result != 0)
        done(outcome.result);
}

void TemplateDialog::reject()
{
    press(DIALOG_CANCEL);
}

int exec_template_dialog(int32_t template_id, DialogRules rules, QWidget* owner)
{
    TemplateDialog dialog(template_id, std::move(rules), owner);
    return dialog.exec();
}
