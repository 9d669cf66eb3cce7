// The shell's dialogs built from their templates without being shown: texts, ids, the
// dialog-unit layout, and what their buttons do.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/conversion_dialogs.h"
#include "core/settings.h"
#include "midi/list_change.h"
#include "midi/note_filter.h"
#include "midi/note_selection.h"
#include "shell/dialog_templates.h"
#include "support/midi_events.h"
#include "ui/dialog_units.h"
#include "ui/dialogs/shell_dialogs.h"
#include "ui_test_support.h"

namespace {

class ShellDialogs : public ::testing::Test {
protected:
    void SetUp() override { uitest::reset_program_state(); }
    void TearDown() override { uitest::reset_program_state(); }
    static QString text(TemplateDialog& d, int id)
    {
        return qobject_cast<QLineEdit*>(d.control(id))->text();
    }
    static void click(TemplateDialog& d, int id)
    {
        if (auto* button = qobject_cast<QPushButton*>(d.control(id)))
            button->click();
        else
            qobject_cast<QCheckBox*>(d.control(id))->click();
    }
};

TEST_F(ShellDialogs, EveryControlSitsAtItsDialogUnitsWithItsText)
{
    for (int id : {ABOUT_DIALOG, ANALYSIS_SETTINGS_DIALOG, CONVERSION_SETTINGS_DIALOG,
                   NOTE_EDIT_DIALOG, LIST_CHANGE_DIALOG, FILTER_DIALOG}) {
        const DialogTemplate& t = dialog_template(id);
        TemplateDialog dialog(id, shell_dialog_rules(id), nullptr);
        const DialogUnits units = dialog_units_for(dialog.font());
        EXPECT_EQ(dialog.windowTitle().toStdString(), t.title);
        EXPECT_EQ(dialog.size(), dialog_size(units, t.width, t.height)) << id;
        for (const ControlTemplate& c : t.controls) {
            EXPECT_LE(c.x + c.width, t.width) << id << " control " << c.id;
            EXPECT_LE(c.y + c.height, t.height) << id << " control " << c.id;
            if (c.id == STATIC_CONTROL)
                continue;
            QWidget* w = dialog.control(c.id);
            ASSERT_NE(w, nullptr) << id << " control " << c.id;
            EXPECT_EQ(w->geometry(), dialog_rect(units, c.x, c.y, c.width, c.height)) << c.id;
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                EXPECT_EQ(button->text().toStdString(), c.text);
            }
        }
        if (id != ABOUT_DIALOG) {
            EXPECT_EQ(qobject_cast<QPushButton*>(dialog.control(2))->text().toStdString(), "ｷｬﾝｾﾙ");
        }
        EXPECT_TRUE(qobject_cast<QPushButton*>(dialog.control(1))->isDefault()) << id;
    }
}

TEST_F(ShellDialogs, AnalysisSettingsButtonsActAtOnceAndStayOnCancel)
{
    TemplateDialog dialog(ANALYSIS_SETTINGS_DIALOG, shell_dialog_rules(ANALYSIS_SETTINGS_DIALOG), nullptr);
    EXPECT_EQ(text(dialog, 1004), "4096");
    click(dialog, 1054);
    EXPECT_EQ(text(dialog, 1004), "8192");
    qobject_cast<QLineEdit*>(dialog.control(1008))->setText(QStringLiteral("7"));
    click(dialog, 1025);
    EXPECT_EQ(text(dialog, 1005), "500");
    EXPECT_EQ(text(dialog, 1008), "7") << "a typed value stays until OK or cancel";
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.control(1025))->isChecked());
    dialog.reject();  // Escape
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(conversion_settings.FFT_SIZE, 8192);
    EXPECT_EQ(conversion_settings.FINE_NOTE, 1);
    EXPECT_EQ(conversion_settings.MAX_OVERTONE, 2);
}

TEST_F(ShellDialogs, ConversionSettingsOpenWithThePresetAndOkReadsTheBoxes)
{
    conversion_settings.FINE_NOTE = 1;
    conversion_settings.BIT_RATE = 1234;
    SAVE_SETTINGS = 1;
    static int saves = 0;
    save_all_settings = [] { return ++saves; };
    TemplateDialog dialog(CONVERSION_SETTINGS_DIALOG, shell_dialog_rules(CONVERSION_SETTINGS_DIALOG), nullptr);
    EXPECT_EQ(text(dialog, 1013), "20000");
    EXPECT_EQ(text(dialog, 1011), "15");
    EXPECT_FALSE(qobject_cast<QCheckBox*>(dialog.control(1025))->isChecked());
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.control(1027))->isChecked()) << "C of C major";
    click(dialog, 1028);
    EXPECT_EQ(conversion_settings.SCALE_NOTES[1], 1);
    qobject_cast<QLineEdit*>(dialog.control(1012))->setText(QStringLiteral("768"));
    click(dialog, 1);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(conversion_settings.TIME_UNIT, 768);
    EXPECT_EQ(saves, 0) << "the save box starts unticked";
    save_all_settings = save_settings;
}

TEST_F(ShellDialogs, NoteEditUpdateRefreshesAndDeleteCloses)
{
    test::load_events({test::event(0, 0x90, 60, 100), test::event(100, 0x80, 60)});
    ASSERT_TRUE(select_note_events(0, 1));
    TemplateDialog dialog(NOTE_EDIT_DIALOG, shell_dialog_rules(NOTE_EDIT_DIALOG), nullptr);
    EXPECT_EQ(text(dialog, 1004), "C3");
    EXPECT_TRUE(qobject_cast<QLineEdit*>(dialog.control(1007))->isReadOnly());
    qobject_cast<QLineEdit*>(dialog.control(1003))->setText(QStringLiteral("69"));
    qobject_cast<QLineEdit*>(dialog.control(1006))->setText(QStringLiteral("250"));
    click(dialog, 1054);
    EXPECT_EQ(text(dialog, 1004), "A3");
    EXPECT_EQ(text(dialog, 1007), "250");
    EXPECT_EQ(dialog.result(), 0) << "update keeps the dialog open";
    click(dialog, 1055);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(midi_event_list.event_count, 0);
}

TEST_F(ShellDialogs, FilterConnectionAndPitchTempoValues)
{
    {
        TemplateDialog dialog(FILTER_DIALOG, shell_dialog_rules(FILTER_DIALOG), nullptr);
        click(dialog, 1024);
        EXPECT_EQ(text(dialog, 1005), "1");
        EXPECT_EQ(text(dialog, 1006), "1");
        click(dialog, 2);
        EXPECT_EQ(dialog.result(), 2);
        EXPECT_EQ(conversion_settings.FLT_CONNECT, 1) << "the switch stays on cancel";
    }
    {
        TemplateDialog dialog(LIST_CHANGE_DIALOG, shell_dialog_rules(LIST_CHANGE_DIALOG), nullptr);
        qobject_cast<QLineEdit*>(dialog.control(1003))->setText(QStringLiteral("-7"));
        click(dialog, 1);
    }
    TemplateDialog again(LIST_CHANGE_DIALOG, shell_dialog_rules(LIST_CHANGE_DIALOG), nullptr);
    EXPECT_EQ(text(again, 1003), "-7");
}

TEST_F(ShellDialogs, TheAboutBoxClosesWithOkOrEscape)
{
    TemplateDialog about(ABOUT_DIALOG, shell_dialog_rules(ABOUT_DIALOG), nullptr);
    click(about, 1);
    EXPECT_EQ(about.result(), 1);
    TemplateDialog escaped(ABOUT_DIALOG, shell_dialog_rules(ABOUT_DIALOG), nullptr);
    escaped.reject();
    EXPECT_EQ(escaped.result(), 2);
}

} // namespace
