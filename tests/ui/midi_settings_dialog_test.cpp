#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/settings.h"
#include "playback/midi_output.h"
#include "playback/midi_settings_rules.h"
#include "ui/dialog_units.h"
#include "ui/dialogs/midi_settings_dialog.h"
#include "ui/dialogs/template_dialog.h"

namespace {

template <typename W>
W* control(QDialog& dialog, int id)
{
    return dialog.findChild<W*>(QString::number(id));
}

// Every control stands at its place with its text, the fields show the settings (the device
// -1 as unsigned), and the lists select the device and program rows.
TEST(MidiSettingsDialog, BuildsEveryControlAtItsPlaceFromTheSettings)
{
    reset_settings();
    set_midi_backends({});
    timbre_group_index = 0;
    midi_output_settings.DEVICE = -1;
    midi_output_settings.PROGRAM = 25;
    midi_output_settings.TRANSPOSE = -6;
    const std::unique_ptr<QDialog> dialog = make_midi_settings_dialog(nullptr);
    const DialogUnits units = dialog_units_for(dialog->font());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("MIDI演奏条件設定"));
    EXPECT_EQ(dialog->size(), dialog_size(units, 287, 245));

    QStringList labels;
    for (const QLabel* label : dialog->findChildren<QLabel*>(QStringLiteral("label")))
        labels << label->text();
    for (const ControlTemplate& c : MIDI_SETTINGS_CONTROLS) {
        const QRect place = dialog_rect(units, c.x, c.y, c.width, c.height);
        if (c.id == MIDI_LABEL) {
            EXPECT_TRUE(labels.contains(QString::fromUtf8(c.text))) << c.text;
            continue;
        }
        const QWidget* widget = control<QWidget>(*dialog, c.id);
        ASSERT_NE(widget, nullptr) << c.id;
        EXPECT_EQ(widget->geometry(), place) << c.id;
        // Built through the same template path as the shell's dialogs.
        QWidget scratch;
        EXPECT_STREQ(widget->metaObject()->className(), make_control(c, &scratch)->metaObject()->className())
            << c.id;
        if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), QString::fromUtf8(c.text)) << c.id;
        }
    }
    EXPECT_EQ(labels.size(), 10);
    EXPECT_EQ(control<QPushButton>(*dialog, MIDI_CANCEL)->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_TRUE(control<QPushButton>(*dialog, MIDI_OK)->isDefault());
    EXPECT_TRUE(control<QLineEdit>(*dialog, MIDI_GROUP_FIELD)->isReadOnly());

    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_DEVICE_FIELD)->text(), QStringLiteral("4294967295"));
    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_TRANSPOSE_FIELD)->text(), QStringLiteral("-6"));
    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_GROUP_FIELD)->text(), QStringLiteral("ピアノ"));
    const auto* devices = control<QListWidget>(*dialog, MIDI_DEVICE_LIST);
    ASSERT_EQ(devices->count(), 1);
    EXPECT_EQ(devices->item(0)->text(), QStringLiteral("使用可能なMIDIデバイスがありません。"));
    EXPECT_TRUE(devices->selectedItems().isEmpty());
    const auto* programs = control<QListWidget>(*dialog, MIDI_PROGRAM_LIST);
    ASSERT_EQ(programs->count(), 128);
    ASSERT_EQ(programs->selectedItems().size(), 1);
    EXPECT_EQ(programs->selectedItems().front()->text(), QStringLiteral("Nylon Guitar"));
}

// A button shows what it stored at once; OK takes the typed fields, cancel keeps what the
// buttons stored.
TEST(MidiSettingsDialog, ButtonsShowTheirValuesAndOkReadsTheFields)
{
    reset_settings();
    set_midi_backends({});
    timbre_group_index = 0;
    std::unique_ptr<QDialog> dialog = make_midi_settings_dialog(nullptr);
    control<QLineEdit>(*dialog, MIDI_BANK1_FIELD)->setText(QStringLiteral("9"));
    control<QPushButton>(*dialog, MIDI_NEXT_GROUP)->click();
    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_PROGRAM_FIELD)->text(), QStringLiteral("54"));
    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_BANK1_FIELD)->text(), QStringLiteral("0"));
    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_GROUP_FIELD)->text(), QStringLiteral("ボーカル"));
    EXPECT_EQ(control<QListWidget>(*dialog, MIDI_PROGRAM_LIST)->currentRow(), 53);
    control<QPushButton>(*dialog, MIDI_FASTER)->click();
    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_TEMPO_FIELD)->text(), QStringLiteral("90"));
    control<QLineEdit>(*dialog, MIDI_VOLUME_FIELD)->setText(QStringLiteral("90"));
    control<QPushButton>(*dialog, MIDI_CANCEL)->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(midi_output_settings.TEMPO_PERCENT, 90);
    EXPECT_EQ(midi_output_settings.VOLUME, 127);

    dialog = make_midi_settings_dialog(nullptr);
    EXPECT_EQ(control<QLineEdit>(*dialog, MIDI_GROUP_FIELD)->text(), QStringLiteral("ボーカル"));
    control<QLineEdit>(*dialog, MIDI_VOLUME_FIELD)->setText(QStringLiteral("90"));
    control<QLineEdit>(*dialog, MIDI_TRANSPOSE_FIELD)->setText(QStringLiteral("-7"));
    control<QPushButton>(*dialog, MIDI_OK)->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(midi_output_settings.VOLUME, 90);
    EXPECT_EQ(midi_output_settings.TRANSPOSE, -7);
    reset_settings();
    timbre_group_index = 0;
}

} // namespace
