// Dialog 131 driven as a user would: fields shown on open, OK, cancel, reset and the pick
// buttons that store at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "core/settings.h"
#include "midi/note_selection.h"
#include "support/view_state.h"
#include "ui/dialogs/display_settings_dialog.h"
#include "views/display_settings.h"

namespace {

class DisplaySettingsDialog : public test::ViewStateTest {
protected:
    // Opens the dialog and lets `act` work on it once it shows; returns the dialog's result.
    static int run(const std::function<void(QWidget&)>& act)
    {
        QTimer::singleShot(0, [act] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
        });
        return exec_display_settings_dialog(nullptr);
    }
    static QLineEdit& field(QWidget& dialog, const char* id) { return *dialog.findChild<QLineEdit*>(id); }
    static void press(QWidget& dialog, const char* id) { dialog.findChild<QPushButton*>(id)->click(); }
};

} // namespace

TEST_F(DisplaySettingsDialog, OkStoresTheFieldsAndCancelKeepsTheValues)
{
    display_settings.display_note_high = -1;
    EXPECT_EQ(run([](QWidget& d) {
                  EXPECT_EQ(d.windowTitle(), QStringLiteral("MIDI表示モード設定"));
                  EXPECT_EQ(field(d, "1004").text(), QStringLiteral("-1"));
                  EXPECT_EQ(field(d, "1006").text(), QStringLiteral("4294967295"));
                  EXPECT_EQ(d.findChild<QPushButton*>("2")->text(), QStringLiteral("ｷｬﾝｾﾙ"));
                  field(d, "1003").setText(QStringLiteral("500"));
                  field(d, "1005").setText(QStringLiteral("abc"));
                  press(d, "1");
              }),
              1);
    EXPECT_EQ(display_settings.display_start_ms, 500);
    EXPECT_EQ(display_settings.display_note_low, 0);
    EXPECT_EQ(display_settings.display_note_high, -1);

    EXPECT_EQ(run([](QWidget& d) {
                  field(d, "1003").setText(QStringLiteral("900"));
                  press(d, "2");
              }),
              2);
    EXPECT_EQ(display_settings.display_start_ms, 500);
}

TEST_F(DisplaySettingsDialog, PickButtonsStoreAtOnceAndResetCloses)
{
    conversion_settings.TIME_UNIT = 1000;
    note_selection.selected_on_time = 1500;
    note_selection.selected_off_time = 2500;
    note_selection.selected_note = 67;
    EXPECT_EQ(run([](QWidget& d) {
                  for (const char* id : {"1055", "1056", "1057", "1058"})
                      press(d, id);
                  EXPECT_EQ(field(d, "1003").text(), QStringLiteral("1500"));
                  EXPECT_EQ(field(d, "1004").text(), QStringLiteral("2500"));
                  EXPECT_EQ(field(d, "1005").text(), QStringLiteral("67"));
                  press(d, "2");
              }),
              2);
    EXPECT_EQ(display_settings.display_start_ms, 1500);
    EXPECT_EQ(display_settings.display_end_ms, 2500);
    EXPECT_EQ(display_settings.display_note_high, 67);

    EXPECT_EQ(run([](QWidget& d) { press(d, "1054"); }), 1);
    EXPECT_EQ(display_settings.display_start_ms, 0);
    EXPECT_EQ(display_settings.display_end_ms, -1);
    EXPECT_EQ(display_settings.display_note_low, 19);
    EXPECT_EQ(display_settings.display_note_high, 112);
}
