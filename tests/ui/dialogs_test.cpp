// The shell's dialogs built from their templates without being shown: texts, ids, the
// dialog-unit layout, and that presses reach the rules (which tests/core and tests/midi
// check in full).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "shell/conversion_dialogs.h"
#include "core/settings.h"
#include "shell/dialog_templates.h"
#include "shell/gui_messages.h"
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

// A time resolution of 0 is refused in Japanese; the dialog stays open with the previous
// value in the box, and nothing is stored.
TEST_F(ShellDialogs, ConversionSettingsRefuseATimeResolutionOfZeroInJapanese)
{
    TemplateDialog dialog(CONVERSION_SETTINGS_DIALOG, shell_dialog_rules(CONVERSION_SETTINGS_DIALOG), nullptr);
    const int32_t before = conversion_settings.TIME_UNIT;
    qobject_cast<QLineEdit*>(dialog.control(1012))->setText(QStringLiteral("0"));
    qobject_cast<QLineEdit*>(dialog.control(1003))->setText(QStringLiteral("9"));
    QString message;
    {
        uitest::ModalScript script;
        script.then(uitest::read_message(&message));
        click(dialog, 1);
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty());
    }
    EXPECT_EQ(message.toStdString(), TIME_UNIT_REFUSED_TEXT);
    EXPECT_EQ(dialog.result(), 0) << "still open";
    EXPECT_EQ(text(dialog, 1012), QString::number(before));
    EXPECT_EQ(conversion_settings.TIME_UNIT, before);
    EXPECT_NE(conversion_settings.SL_INTERVAL, 9) << "no box is stored";
    click(dialog, 1);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(conversion_settings.SL_INTERVAL, 9);
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
