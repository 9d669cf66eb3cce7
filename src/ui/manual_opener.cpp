#include "ui/manual_opener.h"

#include <QDesktopServices>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <string>

#include "shell/file_failures.h"
#include "shell/manual.h"
#include "ui/message_boxes.h"

void open_manual(QWidget* owner)
{
    const std::string path = manual_path();
    if (!std::filesystem::is_regular_file(path)) {
        show_failure(owner, manual_failure_message(path, true));
        return;
    }
    const QString file = QString::fromStdString(path);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
            show_failure(owner, manual_failure_message(path, false));
        return;
    }
    // xdg-open says by its exit status whether a program took the file; it runs on its
    // own, so the window never waits for it.
    auto* process = new QProcess(owner);
    QPointer<QWidget> box_owner = owner;
    QObject::connect(process, &QProcess::finished, process,
                     [process, box_owner, path](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if ((code != 0 || status != QProcess::NormalExit) && box_owner)
                             show_failure(box_owner, manual_failure_message(path, false));
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, box_owner, path](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         if (box_owner)
                             show_failure(box_owner, manual_failure_message(path, false));
                     });
    process->start(opener, {file});
}
