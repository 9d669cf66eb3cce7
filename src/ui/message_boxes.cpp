#include "ui/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include "core/messages.h"
#include "shell/file_failures.h"
#include "shell/gui_messages.h"

namespace {

QPointer<QWidget> box_owner;

void show_box(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, box_owner.data());
    box.exec();
}

// The engine's texts are English where the batch program prints them; the GUI says them
// in Japanese.
QString japanese(const char* text)
{
    return QString::fromStdString(gui_message_text(text));
}

// The show_message hook: shows at once on the UI thread, posts from any other.
void message_box_hook(const char* caption, const char* text)
{
    const QString c = QString::fromUtf8(caption);
    const QString t = japanese(text);
    if (QThread::currentThread() == qApp->thread())
        show_box(c, t);
    else
        QMetaObject::invokeMethod(qApp, [c, t] { show_box(c, t); }, Qt::QueuedConnection);
}

} // namespace

void install_message_boxes(QWidget* owner)
{
    box_owner = owner;
    message_hook = message_box_hook;
}

void remove_message_boxes()
{
    if (message_hook == message_box_hook)
        message_hook = nullptr;
    box_owner = nullptr;
}

void show_notice(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tonagram"), text, QMessageBox::Ok,
                    owner);
    box.exec();
}

void show_failure(QWidget* owner, const FailureMessage& message)
{
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(message.caption),
                    QString::fromStdString(message.text), QMessageBox::Ok, owner);
    box.exec();
}
