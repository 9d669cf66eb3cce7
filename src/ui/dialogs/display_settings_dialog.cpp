#include "ui/dialogs/display_settings_dialog.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "ui/dialog_units.h"
#include "ui/japanese_ui.h"
#include "views/display_settings.h"

namespace {

// Controls are placed in dialog units and named by their control ids.
class DisplaySettingsDialog : public QDialog {
public:
    explicit DisplaySettingsDialog(QWidget* owner) : QDialog(owner), units_(dialog_units_for(dialog_font()))
    {
        setWindowTitle(QStringLiteral("MIDI表示モード設定"));
        setFont(dialog_font());
        setFixedSize(dialog_size(units_, 247, 109));
        label(QStringLiteral("表示時間[msec]"), 10, 9);
        QLineEdit* start = edit("1003", 109, 6, 40);
        QLineEdit* end = edit("1004", 198, 6, 40);
        label(QStringLiteral("表示ノート領域"), 11, 35);
        QLineEdit* low = edit("1005", 110, 32, 26);
        QLineEdit* high = edit("1006", 185, 32, 25);
        pick("1055", QStringLiteral("開始"), 73, 6, start, pick_display_start);
        pick("1056", QStringLiteral("～終了"), 163, 6, end, pick_display_end);
        pick("1057", QStringLiteral("下端"), 73, 32, low, pick_note_low);
        pick("1058", QStringLiteral("～上端"), 147, 32, high, pick_note_high);
        connect(button("1054", QStringLiteral("初期化"), 190, 58, 50), &QPushButton::clicked, this, [this] {
            reset_display_settings();
            done(1);
        });
        QPushButton* ok = button("1", QStringLiteral("OK"), 129, 88, 50);
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [=, this] {
            store_display_range_fields({text_of(start), text_of(end), text_of(low), text_of(high)});
            done(1);
        });
        connect(button("2", QStringLiteral("ｷｬﾝｾﾙ"), 190, 88, 50), &QPushButton::clicked, this, [this] { done(2); });

        const DisplayRangeFields fields = display_range_fields();
        start->setText(QString::fromStdString(fields.start_ms));
        end->setText(QString::fromStdString(fields.end_ms));
        low->setText(QString::fromStdString(fields.note_low));
        high->setText(QString::fromStdString(fields.note_high));
    }

    // Escape and the window's close box cancel.
    void reject() override { done(2); }

private:
    static std::string text_of(const QLineEdit* field) { return field->text().toStdString(); }

    void label(const QString& text, int x, int y)
    {
        auto* widget = new QLabel(text, this);
        widget->setGeometry(dialog_rect(units_, x, y, 60, 8));
    }

    QLineEdit* edit(const char* id, int x, int y, int width)
    {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(id));
        field->setGeometry(dialog_rect(units_, x, y, width, 14));
        return field;
    }

    QPushButton* button(const char* id, const QString& text, int x, int y, int width)
    {
        auto* widget = new QPushButton(text, this);
        widget->setObjectName(QString::fromLatin1(id));
        widget->setAutoDefault(false);
        widget->setGeometry(dialog_rect(units_, x, y, width, 14));
        return widget;
    }

    // A pick button: stores the selected note's value at once and shows it in its field.
    void pick(const char* id, const QString& text, int x, int y, QLineEdit* field, std::string (*store)())
    {
        connect(button(id, text, x, y, 30), &QPushButton::clicked, this,
                [field, store] { field->setText(QString::fromStdString(store())); });
    }

    DialogUnits units_;
};

} // namespace

int exec_display_settings_dialog(QWidget* owner)
{
    DisplaySettingsDialog dialog(owner);
    return dialog.exec();
}
