// Opening a file without the file dialog: named on the command line or dropped on the
// window. Both go through the read command of the file's kind, as the menu does.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <string>

#include "core/messages.h"
#include "core/status.h"
#include "midi/note_selection.h"
#include "shell/document_files.h"
#include "shell/file_failures.h"
#include "shell/file_reads.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"

namespace {

// The local file a drag carries, when it is one the window can open.
QString dragged_document(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return {};
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return {};
    const QString path = url.toLocalFile();
    return document_kind(path.toStdString()) ? path : QString();
}

} // namespace

bool MainWindow::read_document(FileKind kind)
{
    const std::string path = conversion_status.current_path;
    const ReadAttempt attempt = kind == FileKind::Wave ? read_wave_keeping_old(path)
                                                       : read_list_keeping_old(kind, path);
    if (attempt.failed) {
        const std::string reason = read_failure_reason(kind, path, attempt.no_data, attempt.message);
        show_failure(this, read_failure_message(kind, path, reason));
        return false;
    }
    if (!attempt.message.empty())
        show_message("Tonagram", attempt.message.c_str());
    if (kind != FileKind::Wave) {
        // The selection indexed the list just replaced.
        deselect_note();
        conversion_status.document_state = 2;
    }
    return true;
}

bool MainWindow::open_document(const QString& path)
{
    const std::string name = path.toStdString();
    const std::optional<FileKind> kind = document_kind(name);
    if (!kind) {
        show_message(OPEN_FILE_CAPTION, unknown_kind_text(name).c_str());
        return false;
    }
    if (conversion_status.conversion_thread) {
        show_message(OPEN_FILE_CAPTION, OPEN_WHILE_CONVERTING_TEXT);
        return false;
    }
    document_read_ = false;
    preset_path_ = path;
    run_command(read_command_of(*kind));
    preset_path_.clear();
    return document_read_;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!dragged_document(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = dragged_document(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Read once the drop has finished: the drag source waits for the drop's answer, and a
    // message box must not keep it waiting.
    QTimer::singleShot(0, this, [this, path] { open_document(path); });
}
