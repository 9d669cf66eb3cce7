#include "ui/dialogs/midi_settings_dialog.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <map>

#include "playback/gm_sound_set.h"
#include "playback/midi_settings_rules.h"
#include "ui/dialog_units.h"
#include "ui/dialogs/template_dialog.h"
#include "ui/japanese_ui.h"

namespace {

// The row a list has selected, or -1 as a Windows list box answers with none.
int32_t selected_row(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.front());
}

void select_row(QListWidget* list, int32_t row)
{
    if (row >= 0 && row < list->count())
        list->setCurrentRow(row);
    else
        list->clearSelection();
}

class MidiSettingsDialog : public QDialog {
public:
    explicit MidiSettingsDialog(QWidget* owner) : QDialog(owner)
    {
        setWindowTitle(QString::fromUtf8(MIDI_SETTINGS_TITLE));
        setFont(dialog_font());
        const DialogUnits units = dialog_units_for(font());
        setFixedSize(dialog_size(units, MIDI_SETTINGS_WIDTH, MIDI_SETTINGS_HEIGHT));
        for (const ControlTemplate& control : MIDI_SETTINGS_CONTROLS)
            add_control(control)->setGeometry(
                dialog_rect(units, control.x, control.y, control.width, control.height));
        fill_lists();
        for (const auto& [id, field] : fields_)
            show_control(id);
    }

private:
    QWidget* add_control(const ControlTemplate& control)
    {
        QWidget* widget = make_control(control, this);
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            fields_[control.id] = edit;
        else if (auto* list = qobject_cast<QListWidget*>(widget))
            lists_[control.id] = list;
        else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            // In this dialog Enter presses the focused button.
            button->setAutoDefault(true);
            connect(button, &QPushButton::clicked, this, [this, id = control.id] { press(id); });
        }
        widget->setObjectName(control.id == MIDI_LABEL ? QStringLiteral("label")
                                                       : QString::number(control.id));
        return widget;
    }

    void fill_lists()
    {
        QListWidget* devices = lists_.at(MIDI_DEVICE_LIST);
        for (const std::string& row : list_midi_devices())
            devices->addItem(QString::fromStdString(row));
        select_row(devices, midi_settings_list_row(MIDI_DEVICE_LIST));
        QListWidget* programs = lists_.at(MIDI_PROGRAM_LIST);
        for (const char* name : GM_PROGRAM_NAMES)
            programs->addItem(QString::fromUtf8(name));
        select_row(programs, midi_settings_list_row(MIDI_PROGRAM_LIST));
    }

    void show_control(int id)
    {
        if (const auto list = lists_.find(id); list != lists_.end())
            select_row(list->second, midi_settings_list_row(id));
        else if (const auto field = fields_.find(id); field != fields_.end())
            field->second->setText(QString::fromStdString(midi_settings_field_text(id)));
    }

    void press(int id)
    {
        if (id == MIDI_OK) {
            for (const MidiSettingsField& field : MIDI_SETTINGS_FIELDS)
                store_midi_settings_field(field.id, fields_.at(field.id)->text().toStdString());
            accept();
            return;
        }
        if (id == MIDI_CANCEL) {
            reject();
            return;
        }
        const int list = id == MIDI_TAKE_PROGRAM ? MIDI_PROGRAM_LIST : MIDI_DEVICE_LIST;
        for (const int shown : press_midi_settings_button(id, selected_row(lists_.at(list))))
            show_control(shown);
    }

    std::map<int, QLineEdit*> fields_;
    std::map<int, QListWidget*> lists_;
};

} // namespace

std::unique_ptr<QDialog> make_midi_settings_dialog(QWidget* owner)
{
    return std::make_unique<MidiSettingsDialog>(owner);
}

int exec_midi_settings_dialog(QWidget* owner)
{
    const std::unique_ptr<QDialog> dialog = make_midi_settings_dialog(owner);
    return dialog->exec() == QDialog::Accepted ? 1 : 2;
}
